// The renaming core's own words, byte for byte.
#pragma once

namespace renaming::msg {

// list index out of range
inline constexpr const char* kListIndexFormat = "リストのインデックスが範囲を超えています (%d)";

}  // namespace renaming::msg

namespace renaming::msg {

// Status line during a run: "ファイル「" + name + one of the endings.
inline constexpr const char* kFileOpen = "ファイル「";
inline constexpr const char* kCreated = "」を作成しました";
inline constexpr const char* kCreateFailed = "」の作成に失敗しました";
inline constexpr const char* kDeleted = "」を削除しました";
inline constexpr const char* kDeleteFailed = "」の削除に失敗しました";

// The summary's four counts.
inline constexpr const char* kSuccess = "成功：";
inline constexpr const char* kFailed = "失敗：";
inline constexpr const char* kIgnored = "無視：";
inline constexpr const char* kDeleteFailedCount = "削除失敗：";
inline constexpr const char* kItemsSep = "件　";  // counter word and an ideographic space
inline constexpr const char* kItems = "件";

}  // namespace renaming::msg

namespace renaming::msg {

// Undo's report, beside the words the window has for it: the start of a
// copy a killed run left, removed as the run's own, and the entries whose
// records in the journal could not be trusted.
inline constexpr const char* kUndoPartialCopyRemoved = "」（作成途中のコピー）を削除しました";
inline constexpr const char* kUndoWhyUnsound = "記録が壊れていた：";

}  // namespace renaming::msg
