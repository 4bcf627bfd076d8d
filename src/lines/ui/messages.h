// The words of the tools that make names on the memo's lines, byte for byte.
#pragma once

namespace lines::msg {

// Shared by the replace and conversion dialogs.
inline constexpr const char* kTargetGroup = "対象";
inline constexpr const char* kAllLines = "すべての行";
inline constexpr const char* kSelectedLines = "選択した行";
inline constexpr const char* kOk = "OK";
inline constexpr const char* kCancel = "キャンセル";
inline constexpr const char* kNumber = "番号";
inline constexpr const char* kCurrentLine = "現在の行";
inline constexpr const char* kNewLine = "変更後の行";
inline constexpr const char* kChangeCount = "%d 行を変更します";

// Replace
inline constexpr const char* kReplaceCaption = "置換";
inline constexpr const char* kSearch = "検索する文字列";
inline constexpr const char* kReplacement = "置換後の文字列";
inline constexpr const char* kUseRegex = "正規表現を使う";
inline constexpr const char* kMatchCase = "大文字と小文字を区別する";
inline constexpr const char* kReplaceAll = "すべての一致を置換する";
inline constexpr const char* kUseCounter = "連番を使う";
inline constexpr const char* kDateGroup = "日時";
inline constexpr const char* kDateModified = "更新日時";
inline constexpr const char* kDateTaken = "撮影日時";
inline constexpr const char* kNoDateTaken = "撮影日時のないファイル：%d 件";
inline constexpr const char* kNoFileBeside = "対応するファイルのない行：%d 行";
inline constexpr const char* kPatternError = "正規表現の誤り（位置 %d）：%s";
inline constexpr const char* kReplacementBreak = "置換後の文字列に改行は使えません";
inline constexpr const char* kReplacementNul = "置換後の文字列に NUL 文字は使えません";
inline constexpr const char* kReplacementHint =
    "$$：$　$0～$99、${名前}：正規表現のグループ\n"
    "${}、${start=1,increment=1,padding=3}：連番（「連番を使う」のとき）\n"
    "$YYYY $YY $MM $M $DD $D：年月日　$hh $h $mm $m $ss $s $fff：時分秒とミリ秒";

// Character conversion
inline constexpr const char* kConvertCaption = "文字種の変換";
inline constexpr const char* kConvertGroup = "変換";
inline constexpr const char* kConversions[] = {
    "英字を大文字に",
    "英字を小文字に",
    "単語の先頭を大文字に",
    "全角英数字・記号を半角に",
    "半角英数字・記号を全角に",
    "半角カナを全角カナに",
    "ひらがなをカタカナに",
    "カタカナをひらがなに",
    "前後の空白を取り除く",
    "Unicode 正規化（NFC）",
};

// Import of names from a file
inline constexpr const char* kImportCaption = "名前をファイルから読み込む";
inline constexpr const char* kImportFilter = "テキスト・CSV・TSV (*.txt *.csv *.tsv *.TXT *.CSV *.TSV)";
inline constexpr const char* kAllFilesFilter = "すべてのファイル (*)";
inline constexpr const char* kColumnsCaption = "列の選択";
inline constexpr const char* kEncodingLabel = "文字コード：%1";
inline constexpr const char* kEncodings[] = {"UTF-8（BOM 付き）", "UTF-16 LE", "UTF-16 BE", "UTF-8",
                                             "Shift-JIS"};
inline constexpr const char* kHeaderRow = "1 行目は見出し";
inline constexpr const char* kNameList = "名前の一覧";
inline constexpr const char* kNameColumn = "名前の列";
inline constexpr const char* kMappingTable = "対応表（現在の名前と新しい名前）";
inline constexpr const char* kCurrentColumn = "現在の名前の列";
inline constexpr const char* kNewColumn = "新しい名前の列";
inline constexpr const char* kColumnNumber = "列 %1";
inline constexpr const char* kColumnNamed = "列 %1：%2";
inline constexpr const char* kTooLarge = "「%1」は大きすぎるため読み込めません（64 MiB まで）";
inline constexpr const char* kNotText =
    "「%1」は NUL 文字を含むため読み込めません（テキストのファイルではないようです）";
inline constexpr const char* kUnreadable = "「%1」を読み込めません（%2）";
inline constexpr const char* kUnknownRows = "どのファイルの名前でもない行があります（%1 行）：";
inline constexpr const char* kAgainRows = "前の行と同じファイルを指す行があります（%1 行）：";
inline constexpr const char* kRowOfFile = "%1 行目：%2";
inline constexpr const char* kMoreRows = "ほか %1 行";

}  // namespace lines::msg
