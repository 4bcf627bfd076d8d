// Memo2: the new-names list, one name per line, and the way the other parts
// read and fill it.
#pragma once

#include <QPlainTextEdit>

#include <string>
#include <vector>

namespace renaming {

class TMemo;

// Line access in the system code page.
class TMemoLines {
public:
    explicit TMemoLines(TMemo& memo) : memo_(memo) {}
    // Line i; the empty string at or beyond the last line. At most the first
    // 4,096 bytes of a longer line, never cutting a character in two.
    std::string operator[](int i) const;
    int Count() const;
    void Clear();
    // Appends `text` as a new last line followed by a line break.
    void Add(const std::string& text);
    // Clear() and Add() of every name, in one edit.
    void Assign(const std::vector<std::string>& lines);

private:
    TMemo& memo_;
};

class TMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TMemo(QWidget* parent = nullptr);
    TMemoLines Lines{*this};
};

}  // namespace renaming
