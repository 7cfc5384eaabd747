#pragma once
#include <QString>

class QWidget;

namespace toolkit {

// A window's caption, shown letter for letter. QWidget::setWindowTitle takes "[*]" for
// the place of Qt's modified-document mark and drops it; a map file's path may hold it.
void SetCaption(QWidget *window, const QString &caption);
// The caption as SetCaption gave it.
QString Caption(const QWidget *window);

} // namespace toolkit
