// Conversions of the kind of characters of lines, on ICU: case mapping,
// word breaks, transliteration and normalisation.
#pragma once

#include "lines/lines.h"

#include <memory>
#include <optional>

namespace lines {

enum class Conversion {
    upper,           // "英字を大文字に"
    lower,           // "英字を小文字に"
    capitalize,      // "単語の先頭を大文字に": the rest of each word as it is
    toHalfwidth,     // "全角英数字・記号を半角に": full-width ASCII forms and the ideographic space
    toFullwidth,     // "半角英数字・記号を全角に": the reverse
    halfKanaToFull,  // "半角カナを全角カナに"
    toKatakana,      // "ひらがなをカタカナに"
    toHiragana,      // "カタカナをひらがなに": the long-vowel mark stays
    trim,            // "前後の空白を取り除く": Unicode white space at both ends
    nfc,             // "Unicode 正規化（NFC）"
};
inline constexpr int kConversions = 10;

class Converter {
public:
    explicit Converter(Conversion c);
    ~Converter();
    Converter(Converter&&) noexcept;
    Converter& operator=(Converter&&) noexcept;

    // The line converted; nothing when the conversion leaves it as it is.
    std::optional<Text> convert(const Text& line) const;

    // Converts lines `range` of `lines`. Stops early, with `cancelled` set,
    // once `cancel` is raised.
    Outcome run(const std::vector<Text>& lines, LineRange range,
                const CancelFlag* cancel = nullptr) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace lines
