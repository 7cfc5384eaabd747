#pragma once

// The line a start-up launcher prints once its window has painted: the word, the time on
// the steady clock in nanoseconds (the clock the benchmark started the launch by), the
// peak resident memory in kilobytes and 1 if accessibility was on, else 0.
inline constexpr char kFirstPaintLine[] = "first-paint";
