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
    // Lines up to the last one that is not empty.
    int Filled() const;
    // Lines 0 to `count` - 1 as operator[] gives them, fewer where the memo
    // has fewer.
    std::vector<std::string> First(int count) const;
    void Clear();
    // Appends `text` as a new last line followed by a line break.
    void Add(const std::string& text);
    // Clear() and Add() of every name, in one edit.
    void Assign(const std::vector<std::string>& lines);
    // The same for lines already joined, each followed by a line break: a
    // million names need not be held twice on the way.
    void AssignJoined(const std::string& joined);

private:
    TMemo& memo_;
};

// A line of the memo is exactly what the user sees as a line: the line
// separator (U+2028), which the editor shows as a break inside one line of
// its text (Shift+Enter types it; pasted text can carry it), becomes a plain
// line break as it enters, however it enters. The paragraph separator and
// the editor's frame marks already become line breaks of their own.
class TMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TMemo(QWidget* parent = nullptr);
    TMemoLines Lines{*this};

    // `text` with every line separator turned into a line break.
    static QString plainLines(QString text);

    // The most a paste may bring, in UTF-8 bytes: more cannot be a list of
    // names, and would take the editor minutes and gigabytes.
    static constexpr qsizetype kMaxPasteBytes = qsizetype{64} << 20;

protected:
    // A paste or a drop of text: refused with a message beyond
    // kMaxPasteBytes; a long one goes in slices, one undoable edit, with the
    // window answering the desktop between them and taking no input.
    void insertFromMimeData(const QMimeData* source) override;

private:
    friend class TMemoLines;
    void breakLineSeparators(int pos, int added);
    void insertLines(const QString& text);
    bool fixing_ = false;
};

}  // namespace renaming
