// The settings' own words, byte for byte.
#pragma once

namespace settings::msg {

// Section names of the settings file.
inline constexpr const char* kSecWinMem = "ウィンドウの位置とサイズを記憶する";
inline constexpr const char* kSecInitMax = "ウィンドウを最大化で表示";
inline constexpr const char* kSecBounds = "ウィンドウの位置とサイズ";
inline constexpr const char* kSecRootDirSel = "ルートフォルダ指定の方法";
inline constexpr const char* kSecLastDir = "前回処理したフォルダ";
inline constexpr const char* kSecRootDir = "フォルダ指定のルートフォルダ";
inline constexpr const char* kSecSortOrder = "ファイルの並び順";
inline constexpr const char* kSecFileMask = "表示するファイル";
inline constexpr const char* kSecSwapNames = "名前の入れ替えを行う";

// cannot write to <path>
inline constexpr const char* kCannotWriteFormat = "%s に書き込めません";

}  // namespace settings::msg
