#pragma once
#include <QString>
#include <functional>
#include <vector>

// One measured figure: its samples, and the goal its median must meet. A figure judged
// against a floor carries the floor's samples, measured in the same run and interleaved
// with its own, and a goal for the ratio of the two medians; the machine's speed, which
// moves both alike, then drops out of the judgement.
struct Figure {
    QString name;
    QString unit; // "ms", "%", "MB"
    std::vector<double> samples;
    double goal = 0; // without a floor, the median must not exceed it
    QString goalText;
    QString floorName; // what the floor measures
    std::vector<double> floor;
    double ratioGoal = 0; // with a floor, the median over the floor's must not exceed it

    bool HasFloor() const { return ratioGoal > 0; }
    double Ratio() const; // the median over the floor's
    bool Met() const;
};

// Median, minimum and maximum of samples; 0 when there are none.
double Median(const std::vector<double> &samples);
double Min(const std::vector<double> &samples);
double Max(const std::vector<double> &samples);

// A figure judged alone, by its median against goal.
Figure AbsoluteFigure(const QString &name, const QString &unit, double goal, const QString &goalText);

// A figure in milliseconds judged by its ratio to a floor, named with the conditions of
// the measurement (see Conditions).
Figure RatioFigure(const QString &name, const QString &floorName, double ratioGoal);

// The conditions of a measurement other than the usual ones (offscreen, accessibility
// off), added to each editor figure's name: " (xcb, accessibility on)".
QString Conditions();

// Milliseconds that fn takes, once.
double TimeMs(const std::function<void()> &fn);

// Peak resident memory of this process so far, in megabytes.
double PeakResidentMB();

struct BenchOptions {
    int reps = 30;
    int downloadReps = 5;
    QString simPath;
};

// Start-up of the editor's program to the first complete paint of its window, against a
// bare window's, over launches of the two; and the editor process's peak memory then.
void MeasureStartup(const BenchOptions &options, std::vector<Figure> &figures);
// The editor's figures: presses, refresh, sequence, map file I/O.
void MeasureEditor(const BenchOptions &options, std::vector<Figure> &figures);
// The download's figures: wall time against the simulator and processor share while waiting.
void MeasureDownload(const BenchOptions &options, std::vector<Figure> &figures);
