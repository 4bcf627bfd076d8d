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

// A new folder's name that cannot be taken; %1 is the name.
inline constexpr const char* kNameTaken = "「%1」という名前は既にあります。別の名前を指定してください";
inline constexpr const char* kNameInvalid = "フォルダ名に「/」は使えません";

}  // namespace nx::msg
