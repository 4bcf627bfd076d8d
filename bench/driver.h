// The whole-run benchmark driver: each case measures the program's own code
// and a baseline of what the system itself does, in the same run.
#pragma once

#include <functional>
#include <string>
#include <vector>

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
};

bool add(Case c);

// Settings shared by the cases.
struct Config {
    std::string dataDir;  // scratch space on the file system under test
    int runs = 5;
    bool quick = false;   // smaller data, for a smoke run
};
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

}  // namespace bench
