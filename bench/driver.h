// The whole-run benchmark driver: each case measures the program's own code
// and a baseline of what the system itself does, in the same run.
#pragma once

#include <QObject>
#include <QTimer>

#include <functional>
#include <string>
#include <vector>

class TMainForm;

namespace bench {

struct Case {
    std::string name;
    double target;  // the largest acceptable ratio ours / baseline
    // Prepares data; runs once before the timed repetitions.
    std::function<void()> setUp;
    // One repetition of ours and of the baseline, each returning seconds.
    std::function<double()> ours;
    std::function<double()> base;
    std::function<void()> tearDown;
    // Run only when --files= asks for a number of files (too long for CI).
    bool onlyWithFiles = false;
};

bool add(Case c);

// Settings shared by the cases.
struct Config {
    std::string dataDir;  // scratch space on the file system under test
    int runs = 5;
    bool quick = false;   // smaller data, for a smoke run
    int files = 0;        // entries of the list cases (--files=N); 0: their default
};

// The list cases' entries, and how a case's name says it: "{n}" in a name
// becomes "100k" for 100,000, "1m" for 1,000,000.
int listFiles();
std::string countLabel(int n);
const Config& config();

double now();  // monotonic seconds
// Runs a shell command, returns its wall time in seconds (stdout discarded).
double timeShell(const std::string& command);
// Runs `f` before the driver ends, while the application object still lives.
void atEnd(std::function<void()> f);
// Removes a folder tree (and leaves it first if it is the current folder).
void removeTree(const std::string& path);
// Creates `count` files of `size` bytes named prefix0000001... in `dir`.
void makeFiles(const std::string& dir, int count, size_t size, const std::string& prefix);
std::string shellQuote(const std::string& s);
// Where the window's runs keep their journals during the bench (the state
// folder of XDG_STATE_HOME, set by the driver under the data folder, so that
// the user's own journals are never touched or outnumbered).
std::string stateDir();

// Files in `dir` named a0000000.dat ... or b0000000.dat ...; each renaming
// case flips them from one letter to the other, so both sides of a case
// work on the same files without making them again.
struct Flipper {
    std::string dir;
    int count = 0;
    char current = 'a';

    std::string name(char letter, int i) const;
    char other() const { return current == 'a' ? 'b' : 'a'; }
    // Makes `count` files of `size` bytes under the a... names in a fresh
    // folder `folder`, and puts them on the disk.
    void make(const std::string& folder, int count, size_t size);
    // Removes the copies a copying run made (the b... names).
    void removeCopies() const;
    // The memo's text that gives entry i the name `letter`i: one line a file.
    std::string lines(char letter) const;
};

// The one window the renaming cases drive, shown; made on first use and
// gone at the driver's end.
TMainForm& window();
// Points the window's list at `dir` and its memo at `memoText`, with the
// delete box as given, and lets it settle.
void prepareWindow(const std::string& dir, const std::string& memoText, bool deleteOld);

// While it lives: notes the moment the first modal box comes into being (its
// first event, as its constructor makes its children), which is where a
// handler's own work ends, and answers every box with its OK button.
class BoxWatch : public QObject {
public:
    BoxWatch();
    ~BoxWatch() override;
    double boxAt = 0;     // 0 until a box came
    std::string caption;  // the first box's title
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    QTimer answer_;
};

// The seconds from calling `handler` until its modal box came, the box
// answered; warns when the box's title is not `caption`.
double untilBox(const std::function<void()>& handler, const char* caption);

}  // namespace bench
