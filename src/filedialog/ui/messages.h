// The file list window's own words, byte for byte (the trailing blanks of
// the three messages included).
#pragma once

namespace nx::msg {

// Default captions of the two components.
inline constexpr const char* kOpenTitle = "ファイル一覧";
inline constexpr const char* kSaveTitle = "保存ファイル名の指定";

// Buttons, hints and menu items of the window.
inline constexpr const char* kFileOpenBtn = "開 く";
inline constexpr const char* kFileSaveBtn = "保 存";
inline constexpr const char* kCloseBtn = "取 消";
inline constexpr const char* kFindHint = "部分一致検索";
inline constexpr const char* kFolderHint = "フォルダ選択";
inline constexpr const char* kFileRename = "ファイル名変更";
inline constexpr const char* kFileDelete = "ファイル削除";

// Messages: caption and text.
inline constexpr const char* kSaveCaption = "ファイルの保存";
inline constexpr const char* kOverwriteText = "同名のファイルが存在します．上書きしますか．　　　";
inline constexpr const char* kDeleteCaption = "ファイルの削除";
inline constexpr const char* kDeleteFailed = "削除できません．ファイルは読出し専用の可能性があります．    ";
inline constexpr const char* kRenameCaption = "ファイル名の変更";
inline constexpr const char* kRenameFailed = "同名のファイルが存在するか,不正な文字があります.    ";

// The search prompt and the caption prefix of a searched list.
inline constexpr const char* kSearchCaption = "ファイル名部分一致検索";
inline constexpr const char* kSearchPrompt = "検索文字列";
inline constexpr const char* kInputOk = "OK";
inline constexpr const char* kInputCancel = "キャンセル";
inline constexpr const char* kSearchPrefixOpen = "[ ";
inline constexpr const char* kSearchPrefixClose = " ]を含む";

// What a screen reader calls the list and the name edits.
inline constexpr const char* kAccessibleFiles = "ファイル";
inline constexpr const char* kAccessibleFileName = "ファイル名";

// The folder browser's cancel button while the list follows it.
inline constexpr const char* kBrowseClose = "閉じる";

}  // namespace nx::msg
