// TnxOpenDialog and TnxSaveDialog: components that show the file list window
// modally, one to pick an existing file, one to name a file to save. The
// host sets the folder, the extension filter, a name pattern, the caption,
// the window's place and size, the optional buttons and event handlers, runs
// Execute, and reads FilePath and FileName afterwards.
#pragma once

#include <QObject>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>

class QWidget;
class TListForm;

enum TnxDialogOption : uint8_t {
    doFindBtn,    // show the partial-match search button
    doFolderBtn,  // show the folder button
};

// A set of TnxDialogOption in one byte (bit n = ordinal n).
class TnxDialogOptions {
public:
    TnxDialogOptions() = default;
    TnxDialogOptions(std::initializer_list<TnxDialogOption> opts)
    {
        for (auto o : opts)
            bits_ |= static_cast<uint8_t>(1u << o);
    }
    bool contains(TnxDialogOption o) const { return bits_ & (1u << o); }
    TnxDialogOptions& operator<<(TnxDialogOption o)
    {
        bits_ |= static_cast<uint8_t>(1u << o);
        return *this;
    }
    uint8_t bits() const { return bits_; }
    bool operator==(const TnxDialogOptions&) const = default;

private:
    uint8_t bits_ = 0;
};

// The input-method mode of a window. On this platform imDisable switches
// input-method support off for the window and every other mode switches it
// on; the values and their order are kept for hosts that store them.
enum TImeMode : uint8_t {
    imDisable,
    imClose,
    imOpen,
    imDontCare,
    imSAlpha,
    imAlpha,
    imHira,
    imSKata,
    imKata,
    imChinese,
    imSHanguel,
    imHanguel,
};

// Events. `Sender` is always the component; references are in/out.
using TNotifyEvent = std::function<void(QObject* Sender)>;
using TnxDialogBeforeEvent =
    std::function<void(QObject* Sender, const std::string& FilePath, bool& Action)>;
using TnxDialogAfterEvent =
    std::function<void(QObject* Sender, const std::string& FilePath, bool Flag)>;
using TnxDialogBeforeExEvent =
    std::function<void(QObject* Sender, const std::string& OldFilePath,
                       const std::string& NewFilePath, bool& Action)>;
using TnxDialogAfterExEvent =
    std::function<void(QObject* Sender, const std::string& OldFilePath,
                       const std::string& NewFilePath, bool Flag)>;
using TnxDialogBFBtnEvent =
    std::function<void(QObject* Sender, const std::string& Directory, bool& DefautEvent)>;
using TnxDialogFindBtnEvent =
    std::function<void(QObject* Sender, const std::string& Directory, bool& DefautEvent,
                       std::string& AndFindText)>;

// What both components have in common. Not created on its own.
class TnxFileDialogBase : public QObject {
    Q_OBJECT
public:
    ~TnxFileDialogBase() override;

    // Published properties.
    std::string FileExt;    // extension without its dot; "*" admits every one
    std::string Directory;  // folder to list; follows the folder browsed to
    int32_t FormTop = 0;
    int32_t FormLeft = 0;
    int32_t FormWidth;   // two fifths of the virtual desktop at creation
    int32_t FormHeight;  // half of it
    std::string Title;
    std::string FindText;  // name pattern: FindText + ".*", or every name
    TImeMode ImeMode() const { return ImeMode_; }
    void SetSelfImeMode(TImeMode Value);
    bool DisplayDirectory = false;
    bool DisplayIcon = false;
    TnxDialogOptions Options;
    std::string RootDir;      // root of the folder button's browser
    std::string BrowseTitle;  // its title text
    TNotifyEvent OnShow;
    TnxDialogBeforeEvent OnBeforeDelete;
    TnxDialogBeforeEvent OnBeforeClose;
    TnxDialogBeforeExEvent OnBeforeRename;
    TnxDialogAfterEvent OnAfterDelete;
    TnxDialogAfterExEvent OnAfterRename;
    TnxDialogFindBtnEvent OnFindBtnClick;
    TnxDialogBFBtnEvent OnFolderBtnClick;

    // Run-time, read-only.
    QWidget* Handle() const { return Handle_; }
    const std::string& FilePath() const { return FilePath_; }
    int32_t ModalResult() const { return ModalResult_; }

    // Shows the file list window modally; true when it closed by OK. An
    // exception thrown by a handler while the window is shown passes on to
    // the caller once the window's loop has ended and the window is freed;
    // ModalResult is then still 0.
    bool Execute();
    // While the window is open, lists the folder again from Directory and
    // FindText; does nothing otherwise.
    void GetFilesList();

protected:
    TnxFileDialogBase(QObject* Owner, bool openMode, const char* title);
    std::string FileName_;

private:
    friend class TListForm;
    QWidget* ownerWindow() const;

    TListForm* ListForm_ = nullptr;
    QWidget* Handle_ = nullptr;
    std::string FilePath_;
    TImeMode ImeMode_ = imDisable;
    int32_t ModalResult_ = 0;
    bool openMode_;
};

class TnxOpenDialog : public TnxFileDialogBase {
    Q_OBJECT
public:
    explicit TnxOpenDialog(QObject* Owner = nullptr);
    // The chosen file's name without folder and extension (read-only).
    const std::string& FileName() const { return FileName_; }
};

class TnxSaveDialog : public TnxFileDialogBase {
    Q_OBJECT
public:
    explicit TnxSaveDialog(QObject* Owner = nullptr);
    // The chosen name, without folder and extension; also the name the
    // window starts with (its folder and extension are dropped for that).
    const std::string& FileName() const { return FileName_; }
    void SetFileName(const std::string& Value) { FileName_ = Value; }
};

// Applies an input-method mode to a window.
void applyImeMode(QWidget* window, TImeMode mode);
