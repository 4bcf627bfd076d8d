// The options dialog's own words, byte for byte.
#pragma once

namespace settings::msg {

inline constexpr const char* kCaption = "設定";
inline constexpr const char* kConfigTab = "設定";
inline constexpr const char* kStartFolderGroup = "「フォルダ指定」の初期フォルダ";
inline constexpr const char* kLastFolder = "前回処理したフォルダ";
inline constexpr const char* kSpecifiedFolder = "指定したフォルダ";
inline constexpr const char* kBrowse = "参照";
inline constexpr const char* kDesktop = "デスクトップ（階層の一番上）";
inline constexpr const char* kWinMem = "ウィンドウの位置とサイズを記憶する";
inline constexpr const char* kInitMax = "ウィンドウを最大化して起動する";
inline constexpr const char* kOk = "OK";
inline constexpr const char* kCancel = "キャンセル";

}  // namespace settings::msg
