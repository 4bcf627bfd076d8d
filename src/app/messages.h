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
