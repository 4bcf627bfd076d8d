// The platform layer's own words.
#pragma once

namespace platform::msg {

// Input/output errors of a refused folder change, by platform code.
inline constexpr const char* kFileNotFound = "ファイルが見つかりません";          // 2
inline constexpr const char* kInvalidFileName = "不正なファイル名です";           // 3
inline constexpr const char* kTooManyOpenFiles = "オープンしたファイルが多すぎます";  // 4
inline constexpr const char* kAccessDenied = "ファイルへのアクセスが拒否されました";  // 5
inline constexpr const char* kReadBeyondEnd = "ファイルの末尾以降を読み込みました";  // 100
inline constexpr const char* kDiskFull = "ディスクがいっぱいです";              // 101
inline constexpr const char* kNotANumber = "入力値が数値ではありません";          // 106
inline constexpr const char* kIoErrorFormat = "I/O エラー (%d)";                // any other

}  // namespace platform::msg
