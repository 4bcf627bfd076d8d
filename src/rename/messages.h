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
// The line a stopped run's summary ends with.
inline constexpr const char* kStoppedFormat = "中止しました（残り %d 件は処理していません）";

}  // namespace renaming::msg

namespace renaming::msg {

// The predicted outcome of one entry, in the summary's words.
inline constexpr const char* kOutcomeCopied = "成功：作成";
inline constexpr const char* kOutcomeMoved = "成功：作成して古いファイルを削除";
inline constexpr const char* kOutcomeFreed = "（%d 番が空ける名前）";
inline constexpr const char* kOutcomeOldStays = "削除失敗：古いファイルは読み取り専用";
inline constexpr const char* kOutcomeBadLine = "失敗：使えない文字があります";
inline constexpr const char* kOutcomeNoName = "無視：名前がありません";
inline constexpr const char* kOutcomeHidden = "失敗：「.」で始まる名前は隠しファイルになります";
inline constexpr const char* kOutcomeUnacceptable = "失敗：ファイルシステムが受け付けない名前です";
inline constexpr const char* kOutcomeOldGone = "失敗：ファイルがもうありません";
inline constexpr const char* kOutcomeOldNotFile = "失敗：ファイルではありません";
inline constexpr const char* kOutcomeTaken = "失敗：同じ名前のファイルがあります";
inline constexpr const char* kOutcomeTakenByRun = "失敗：%d 番が先にこの名前を作ります";
// A swap's temporary step: the name, and what the step does.
inline constexpr const char* kTemporaryName = "（一時的な名前）";
inline constexpr const char* kToTemporary = "一時的な名前へ移します";
// What only a run meets: the file operation itself failed.
inline constexpr const char* kOutcomeNotMade = "失敗：ファイルを作成できませんでした";
inline constexpr const char* kOutcomeNotRemoved = "削除失敗：古いファイルを削除できませんでした";

}  // namespace renaming::msg

namespace renaming::msg {

// Undo's report, beside the words the window has for it: the start of a
// copy a killed run left, removed as the run's own, and the entries whose
// records in the journal could not be trusted.
inline constexpr const char* kUndoPartialCopyRemoved = "」（作成途中のコピー）を削除しました";
inline constexpr const char* kUndoWhyUnsound = "記録が壊れていた：";

}  // namespace renaming::msg

namespace renaming::msg {

// A run whose journal could not be written from an entry on (the disk full):
// the line its summary ends with, and the line undo's report ends with for
// the entries it could not take back for want of a record.
inline constexpr const char* kUnrecordedFormat = "%d 番から後は記録できませんでした（元に戻せません）";
inline constexpr const char* kUndoUnrecordedFormat = "記録がないため %d 件は元に戻せませんでした";

}  // namespace renaming::msg
