// The new-names list's own words, byte for byte.
#pragma once

namespace renaming::msg {

// A paste too large to be a list of names.
inline constexpr const char* kPasteCaption = "貼り付け";
inline constexpr const char* kPasteTooLarge =
    "貼り付けるテキストが 64 MiB を超えるため、貼り付けませんでした。";

}  // namespace renaming::msg
