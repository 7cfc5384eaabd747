#pragma once
#include <QString>
#include <functional>
#include <vector>

// One measured figure: its samples, and the goal its median must meet.
struct Figure {
    QString name;
    QString unit;             // "ms", "%", "MB"
    std::vector<double> samples;
    double goal;              // the median must not exceed it
    QString goalText;

    double Median() const;
    double Min() const;
    double Max() const;
    bool Met() const { return !samples.empty() && Median() <= goal; }
};

// Milliseconds that fn takes, once.
double TimeMs(const std::function<void()> &fn);

// Peak resident memory of this process so far, in megabytes.
double PeakResidentMB();

struct BenchOptions {
    int reps = 30;
    int downloadReps = 5;
    QString simPath;
};

// The editor's figures: start-up, presses, refresh, sequence, map file I/O.
void MeasureEditor(const BenchOptions &options, std::vector<Figure> &figures);
// The download's figures: wall time against the simulator and processor share while waiting.
void MeasureDownload(const BenchOptions &options, std::vector<Figure> &figures);
