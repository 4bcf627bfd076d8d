// The folder chooser's own words.
#pragma once

namespace nx::msg {

inline constexpr const char* kBrowseCaption = "フォルダの選択";
inline constexpr const char* kBrowseTop = "デスクトップ";
inline constexpr const char* kBrowseOk = "OK";
inline constexpr const char* kBrowseCancel = "キャンセル";
inline constexpr const char* kNewFolderButton = "新しいフォルダ";
// The name a new folder starts with; a second one gets " (2)", and so on.
inline constexpr const char* kNewFolderName = "新しいフォルダ";

}  // namespace nx::msg
