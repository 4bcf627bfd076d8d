// Memo2: the new-names list, one name per line, and the way the other parts
// read and fill it.
#pragma once

#include "platform/codepage.h"
#include "rename/linehistory.h"
#include "rename/linestore.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QPoint>
#include <QString>
#include <QTextLayout>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QMimeData;
class QMenu;

namespace renaming {

class TMemo;

// Line access in the system code page.
class TMemoLines {
public:
    explicit TMemoLines(TMemo& memo) : memo_(memo) {}
    // Line i; the empty string at or beyond the last line. At most the first
    // 4,096 bytes of a longer line, never cutting a character in two.
    std::string operator[](int i) const;
    // Lines, without the empty one after a final line break.
    int Count() const;
    // Lines up to the last one that is not empty.
    int Filled() const;
    // Lines 0 to `count` - 1 as operator[] gives them, fewer where the memo
    // has fewer.
    std::vector<std::string> First(int count) const;
    // The first `count` lines as they are now, for another thread to read
    // with Bytes() as it goes: a copy of their text, not a string a line.
    LineSnapshot Snapshot(int count) const;
    // A line of a snapshot as operator[] gives it.
    static std::string Bytes(std::u16string_view line, platform::CodePage cp);
    void Clear();
    // Appends `text` as a new last line followed by a line break.
    void Add(const std::string& text);
    // Clear() and Add() of every name, as one edit that undo takes back.
    void Assign(const std::vector<std::string>& lines);
    // The same for `count` lines that `lineAt` gives one by one: a million
    // names need not be held twice on the way.
    void Assign(size_t count, const std::function<std::string_view(size_t)>& lineAt);

private:
    TMemo& memo_;
};

// An editor of plain lines, drawn one row of the list apart, that keeps its
// text in a LineStore: a million lines cost their characters and a few bytes
// each, and are drawn, typed in and scrolled as quickly as ten.
//
// A line of the memo is exactly what the user sees as a line: every
// character the toolkit would show as a break (CR, CR LF, the line and
// paragraph separators, the frame marks) becomes a plain line break as it
// enters, however it enters. Positions count UTF-16 code units, one for
// each line break.
class TMemo : public QAbstractScrollArea {
    Q_OBJECT
public:
    using Pos = LineStore::Pos;

    explicit TMemo(QWidget* parent = nullptr);
    ~TMemo() override;
    TMemoLines Lines{*this};

    // The whole text. setPlainText and clear also forget the undo history
    // and put the caret at the start.
    QString toPlainText() const;
    void setPlainText(const QString& text);
    void clear();
    // At the caret, in place of the selection, as one undoable edit.
    void insertPlainText(const QString& text);

    Pos length() const { return text_.size(); }
    // Rows the memo draws: with the empty one after a final line break.
    int lineCount() const { return text_.lineCount(); }
    QString line(int i) const;
    Pos lineStart(int i) const { return text_.lineStart(i); }
    Pos lineEnd(int i) const { return text_.lineEnd(i); }
    int lineAt(Pos pos) const { return text_.lineAt(pos); }
    QString textBetween(Pos from, Pos to) const;

    // The caret and the other end of the selection.
    Pos position() const { return pos_; }
    Pos anchor() const { return anchor_; }
    int caretLine() const { return text_.lineAt(pos_); }
    Pos caretColumn() const { return pos_ - text_.lineStart(caretLine()); }
    bool hasSelection() const { return anchor_ != pos_; }
    Pos selectionStart() const { return std::min(anchor_, pos_); }
    Pos selectionEnd() const { return std::max(anchor_, pos_); }
    QString selectedText() const { return textBetween(selectionStart(), selectionEnd()); }
    // Selects from `anchor` to `position` (both kept within the text) and
    // brings the caret into view.
    void select(Pos anchor, Pos position);
    void setCaret(Pos position) { select(position, position); }
    void selectAll();
    void ensureCaretVisible();
    // Where the caret would be drawn at `position`, in the viewport.
    QRect cursorRect(Pos position) const;
    QRect cursorRect() const { return cursorRect(pos_); }

    // Several changes of the text as one edit that undo takes back whole:
    // what the line tools and the name copy put in.
    class Edit {
    public:
        explicit Edit(TMemo& memo);
        ~Edit();
        Edit(const Edit&) = delete;
        Edit& operator=(const Edit&) = delete;
        // `text` in place of [from, to); false when the memo cannot hold it.
        bool replace(Pos from, Pos to, QStringView text);
        // Line `line`'s text (not its break) replaced.
        bool replaceLine(int line, QStringView text);
        // The whole text replaced; the caret goes to the start.
        bool replaceAll(QStringView text);
        bool append(QStringView text);
        // Room for `units` more, so that a long text read in pieces grows the
        // memo once.
        void reserve(Pos units);

    private:
        TMemo& memo_;
        bool toStart_ = false;
    };
    // One edit of one change.
    bool replace(Pos from, Pos to, QStringView text);

    void cut();
    void copy();
    void paste();
    void undo();
    void redo();
    bool isUndoAvailable() const { return history_.canUndo(); }
    bool isRedoAvailable() const { return history_.canRedo(); }

    // `text` with every break the editor would show turned into a line feed.
    static QString plainLines(QString text);

    // The most a paste may bring, in UTF-8 bytes: more cannot be a list of
    // names.
    static constexpr qsizetype kMaxPasteBytes = qsizetype{64} << 20;

    // The menu a right click opens: the toolkit's own editing items, in its
    // own words.
    QMenu* createStandardContextMenu();

    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    // The text being composed by an input method, drawn at the caret.
    const QString& preeditText() const { return preedit_; }

signals:
    void textChanged();
    void cursorPositionChanged();
    void selectionChanged();
    void undoAvailable(bool available);
    void redoAvailable(bool available);

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void timerEvent(QTimerEvent* e) override;
    void changeEvent(QEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dragLeaveEvent(QDragLeaveEvent* e) override;
    void dropEvent(QDropEvent* e) override;
    // A paste or a drop of text: refused with a message beyond
    // kMaxPasteBytes.
    virtual void insertFromMimeData(const QMimeData* source);

private:
    friend class TMemoLines;
    friend class MemoAccessible;
    using Caret = LineHistory::Caret;

    // Editing (memo.cpp).
    // Puts `text` (made plain here) in place of [from, to) and records it in
    // the open step; false when the memo cannot hold it.
    bool change(Pos from, Pos to, QStringView text);
    // One typed change, which may join the step before it.
    void typed(LineHistory::Kind kind, Pos from, Pos to, QStringView text);
    void afterChange(Pos at, Pos removed, Pos inserted);
    void endEdit(Caret before);
    void resetText(const QString& text);
    void setCaretState(Caret c);
    void caretMoved(Caret before);
    // Undo or redo one step of the history, caret and view following it.
    void stepHistory(std::optional<Caret> (LineHistory::*step)(LineStore&, const LineHistory::Observer&));
    void notifyTextChanged();
    bool canPaste() const;
    void deleteSelection();

    // Drawing and scrolling (memo_view.cpp).
    // A line laid out for drawing and for finding places in it. A line too
    // long to lay out whole (a pasted text with no breaks) has the part
    // around where it is looked at laid out, put where an average
    // character's width says.
    struct LaidLine {
        std::unique_ptr<QTextLayout> layout;
        int from = 0;      // the column the layout starts at
        qreal left = 0;    // and its x
        qreal cursorToX(int column) const;
        int xToCursor(qreal x) const;
        qreal width = 0;   // of the whole line
    };
    LaidLine layoutLine(int line, bool withPreedit, qreal nearX) const;
    LaidLine layoutLineAt(int line, bool withPreedit, int nearColumn) const;
    // The text of line `line`, or for a very long line the part of it
    // around `column`, with the column it starts at.
    QString lineAround(int line, Pos column, Pos* from) const;
    int rowsShown() const;
    int topLine() const;
    int textLeft() const;
    Pos hitTest(QPoint viewportPos) const;
    qreal caretX(Pos position) const;
    void updateScrollBars();
    void measureLongest();
    void repaintCaret();
    void restartBlink();

    // Input (memo_input.cpp).
    bool moveKey(QKeyEvent* e);
    bool editKey(QKeyEvent* e);
    Pos wordEdge(Pos from, bool forward) const;
    Pos graphemeEdge(Pos from, bool forward) const;
    void selectWordAt(Pos position);
    void pageUpDown(bool down, bool keepAnchor);
    void moveVertically(int lines, bool keepAnchor);
    void commitPreedit();
    void dragTo(QPoint viewportPos);
    void startTextDrag();

    LineStore text_;
    LineHistory history_;
    Pos anchor_ = 0, pos_ = 0;
    // The x the caret keeps while it goes up and down over shorter lines.
    qreal wantX_ = -1;
    // An edit step open (Edit), the caret before it, and whether it
    // changed anything.
    int editDepth_ = 0;
    Caret editBefore_;
    bool changed_ = false;

    // The input method's composition, shown at the caret.
    QString preedit_;
    int preeditCursor_ = 0;
    bool preeditHidesCaret_ = false;
    QList<QTextLayout::FormatRange> preeditFormats_;

    QBasicTimer blink_, autoScroll_, tripleClick_;
    bool caretOn_ = false;
    bool selecting_ = false;   // the left button went down in the text
    bool mightDrag_ = false;   // ... on the selection, which it may drag
    QPoint pressAt_, tripleAt_;
    Pos dropAt_ = -1;          // where a drag of text would land
    // Whole words while a double click's button is held.
    Pos wordAnchorStart_ = -1, wordAnchorEnd_ = -1;
    bool lineSelecting_ = false;

    // The horizontal bar reaches the widest of the line with the most
    // units and the lines drawn since that one was found.
    LineStore::Longest longest_;
    bool longestStale_ = true, widthStale_ = true;
    int widest_ = 0;
    int naturalMax_ = -1;
};

}  // namespace renaming
