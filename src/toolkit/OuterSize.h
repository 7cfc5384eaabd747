#pragma once
#include <QSize>

class QWidget;

namespace toolkit {

// The outer size of a top-level window: its size with the frame the platform gives it.
// The native window is created first, so that a platform that decides the frame with the
// window (the offscreen platform, Windows) reports it before the window is first shown,
// and a window centred by this size does not move when it appears. Under X11 the window
// manager frames a window only once it is mapped; until then this is the inner size.
QSize OuterSize(QWidget *window);

} // namespace toolkit
