// The main window's own words, byte for byte.
#pragma once

namespace app::msg {

inline constexpr const char* kCaption = "つむぎ～";
inline constexpr const char* kPrompt =
    "Renameしたいファイルがあるフォルダを選択して、Renameボタンを押してください";

inline constexpr const char* kFileMenu = "ファイル(&F)";
inline constexpr const char* kFileExit = "終了(&X)";
inline constexpr const char* kOptionMenu = "オプション(&O)";
inline constexpr const char* kOptionConfig = "設定(&C)";
inline constexpr const char* kHelpMenu = "ヘルプ(&H)";
inline constexpr const char* kHelpAbout = "バージョン情報(&A)...";

inline constexpr const char* kButtonDir = "フォルダ指定";
inline constexpr const char* kGroupSettings = "　設定　";
inline constexpr const char* kRuleGroup = "　新しいファイル名規則　";
inline constexpr const char* kRuleReplace = "新しいファイル名に置き換える";
inline constexpr const char* kRuleAppend = "古いファイル名の後ろにつなげる";
inline constexpr const char* kDeleteOld = "古いファイルを削除する";
inline constexpr const char* kButtonCopy = "ファイル名複写";
inline constexpr const char* kButtonTest = "1件テスト";
inline constexpr const char* kButtonRename = "リネーム";
inline constexpr const char* kRenameHint = "ボタンを押すとRenameをはじめます";
inline constexpr const char* kGroupNames = "　名前変更　";
inline constexpr const char* kLabelCurrent = "現在";
inline constexpr const char* kLabelAfter = "変更後";

// About box
inline constexpr const char* kAboutCaption = "バージョン情報";
inline constexpr const char* kProductName = "ファイル名一括変更ソフト";
inline constexpr const char* kVersion = "「つむぎ～」　ver. 1.30";

// One-item test
inline constexpr const char* kTestCaption = "renameテスト";
inline constexpr const char* kTestInvalid = "ファイル名に不正な文字があります";
inline constexpr const char* kTestNewNameBefore = "新しいファイル名は「";
inline constexpr const char* kTestNewNameAfter = "」になります";
inline constexpr const char* kTestNoName = "ファイル名が入力されていません";

// Rename run
inline constexpr const char* kRenameResultCaption = "rename結果";

}  // namespace app::msg

// Preview of a run
namespace app::msg {

inline constexpr const char* kEditMenu = "編集(&E)";
inline constexpr const char* kEditPreview = "プレビュー(&P)...";
inline constexpr const char* kPreviewCaption = "プレビュー";
inline constexpr const char* kPreviewNumber = "番号";
inline constexpr const char* kPreviewOld = "現在のファイル名";
inline constexpr const char* kPreviewNew = "新しいファイル名";
inline constexpr const char* kPreviewOutcome = "結果";
inline constexpr const char* kPreviewOnlyProblems = "成功以外だけを表示する";
inline constexpr const char* kPreviewClose = "閉じる";
// "n 行の名前に対応するファイルがありません" (lines that pair with no file)
inline constexpr const char* kPreviewUnpairedFormat = "%d 行の名前に対応するファイルがありません";
inline constexpr const char* kPreviewHint = "ダブルクリックすると、その行の名前へ移ります";
}  // namespace app::msg

// A long run's copies, and undo of the last run
namespace app::msg {

// "1.2 / 4.0 GiB　残り約 3 分": bytes copied of all, and the time left.
inline constexpr const char* kCopyBytesOf = " / ";
inline constexpr const char* kTimeLeftSeconds = "　残り約 %1 秒";
inline constexpr const char* kTimeLeftMinutes = "　残り約 %1 分";

inline constexpr const char* kEditUndo = "元に戻す(&U)";
inline constexpr const char* kUndoResultCaption = "元に戻す結果";
// "元に戻した：n件　そのまま：n件　", and why each left alone stayed.
inline constexpr const char* kUndoRestored = "元に戻した：";
inline constexpr const char* kUndoLeftAlone = "そのまま：";
inline constexpr const char* kUndoWhyGone = "見つからない：";
inline constexpr const char* kUndoWhyChanged = "変更されていた：";
inline constexpr const char* kUndoWhyNameTaken = "元の名前が使われていた：";
inline constexpr const char* kUndoWhyOriginalGone = "元のファイルがない：";
inline constexpr const char* kUndoWhyOriginalChanged = "元のファイルが変更されていた：";
inline constexpr const char* kUndoWhyFailed = "失敗：";
// The status line during undo: "ファイル「new」を「old」に戻しました".
inline constexpr const char* kUndoMovedBack = "」を「";
inline constexpr const char* kUndoMovedBackEnd = "」に戻しました";
inline constexpr const char* kUndoCopyRemoved = "」（作成したコピー）を削除しました";
inline constexpr const char* kUndoLeft = "」はそのままにしました";
// Asked when the folder chosen holds a run that was cut short.
inline constexpr const char* kUndoKilledCaption = "前回のリネーム";
inline constexpr const char* kUndoKilledQuestion =
    "このフォルダでの前回のリネームは途中で終わっています。\n元に戻しますか？";

}  // namespace app::msg

// Names made, not typed: the tools on the memo's lines
namespace app::msg {

inline constexpr const char* kEditReplace = "置換(&R)...";
inline constexpr const char* kEditConvert = "文字種の変換(&K)...";
inline constexpr const char* kFileImport = "名前をファイルから読み込む(&L)...";

}  // namespace app::msg

// The list's order and filter, and the guard against shifted lines
namespace app::msg {

inline constexpr const char* kOrderMenu = "並び順(&O)";
inline constexpr const char* kOrderName = "名前順";
inline constexpr const char* kOrderNatural = "名前順（数字は数の大きさで）";
inline constexpr const char* kOrderModified = "更新日時順";
inline constexpr const char* kFilterMenu = "表示するファイル(&F)...";
inline constexpr const char* kFilterCaption = "表示するファイル";
inline constexpr const char* kFilterPrompt = "例：*.jpg;*.jpeg（空欄はすべて）";
// "変更後 n 行／現在 n 件": lines up to the last non-empty one, entries listed.
inline constexpr const char* kLineGuardFormat = "変更後 %d 行／現在 %d 件";
inline constexpr const char* kLineGuardUnshownFormat = "（表示できない名前 %d 件）";
inline constexpr const char* kShiftWarning = "行がずれている可能性があります";

}  // namespace app::msg

// Swapping names, and stopping a run or an undo: the option menu's item, the
// button beside the progress bar, and the status line from the press until
// the summary.
namespace app::msg {

inline constexpr const char* kOptionSwap = "名前の入れ替えを行う(&S)";
inline constexpr const char* kButtonStop = "中止";
inline constexpr const char* kStopped = "中止しました";

}  // namespace app::msg
