#pragma once
#include <QMainWindow>
#include <memory>

// A bare Qt Widgets window as large as the editor's: a 1321 x 673 client under a menu bar
// with the editor's File and Download menus, drawing nothing of its own. It does not
// change with the editor's design, so the benchmark judges the editor against it.
std::unique_ptr<QMainWindow> BareWindow();
