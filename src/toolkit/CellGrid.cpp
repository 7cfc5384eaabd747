#include "toolkit/CellGrid.h"

#include "toolkit/CellGridAccessible.h"

#include <QAccessible>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QStyleHints>
#include <QToolTip>
#include <algorithm>

namespace toolkit {

QString Cell::Caption() const
{
    return grid_->cells_[id_].caption;
}

void Cell::SetCaption(const QString &text) const
{
    CellGrid::State &cell = grid_->cells_[id_];
    if (text == cell.caption)
        return;
    cell.caption = text;
    cell.layout.reset();
    grid_->Repaint(id_);
    grid_->Announce(id_, QAccessible::NameChanged);
}

QColor Cell::BackColor() const
{
    return grid_->cells_[id_].back;
}

void Cell::SetBackColor(const QColor &color) const
{
    CellGrid::State &cell = grid_->cells_[id_];
    if (color == cell.back)
        return;
    cell.back = color;
    grid_->Repaint(id_);
}

bool Cell::Visible() const
{
    return grid_->cells_[id_].visible;
}

void Cell::SetVisible(bool visible) const
{
    CellGrid::State &cell = grid_->cells_[id_];
    if (visible == cell.visible)
        return;
    cell.visible = visible;
    grid_->Repaint(id_);
    if (grid_->isVisible())
        grid_->Announce(id_, visible ? QAccessible::ObjectShow : QAccessible::ObjectHide);
}

QString Cell::Description() const
{
    return grid_->cells_[id_].description;
}

void Cell::SetDescription(const QString &text) const
{
    CellGrid::State &cell = grid_->cells_[id_];
    if (text == cell.description)
        return;
    cell.description = text;
    grid_->Announce(id_, QAccessible::DescriptionChanged);
}

QRect Cell::Rect() const
{
    return grid_->RectOf(id_);
}

QFont Cell::Font() const
{
    return grid_->arrays_[grid_->cells_[id_].array].design.font;
}

Cell CellArray::operator[](int index) const
{
    return Cell(grid_, grid_->arrays_[array_].firstId + index);
}

int CellArray::Count() const
{
    return grid_->arrays_[array_].count;
}

void CellArray::OnMouseDown(MouseDown handler) const
{
    grid_->arrays_[array_].onMouseDown = std::move(handler);
}

void CellArray::OnClick(Click handler) const
{
    grid_->arrays_[array_].onClick = std::move(handler);
}

CellGrid::CellGrid(const GridPitch &pitch, QWidget *parent) : QWidget(parent), pitch_(pitch)
{
    InstallCellGridAccessible();
}

CellGrid::~CellGrid() = default;

int CellGrid::AddArray(const CellDesign &design, bool pitched, int count)
{
    Array array;
    array.design = design;
    array.pitched = pitched;
    array.firstId = int(cells_.size());
    array.count = count;
    const int a = int(arrays_.size());
    arrays_.push_back(array);
    for (int i = 0; i < count; ++i) {
        State cell;
        cell.array = a;
        cell.index = i;
        cell.back = design.back;
        cells_.push_back(cell);
    }
    return a;
}

CellArray CellGrid::AddPitchedArray(const CellDesign &design)
{
    Q_ASSERT(QRect(0, 0, pitch_.columnPitch, pitch_.rowPitch).contains(design.rect));
    const int a = AddArray(design, true, pitch_.rows * pitch_.columns);
    pitchedArrays_.push_back(a);
    return CellArray(this, a);
}

Cell CellGrid::AddCell(const CellDesign &design)
{
    const int a = AddArray(design, false, 1);
    freeCells_.push_back(arrays_[a].firstId);
    return Cell(this, arrays_[a].firstId);
}

CellArray CellGrid::ArrayOf(const Cell &cell) const
{
    return CellArray(const_cast<CellGrid *>(this), cells_[cell.id_].array);
}

QRect CellGrid::RectOf(int id) const
{
    const State &cell = cells_[id];
    const Array &array = arrays_[cell.array];
    if (!array.pitched)
        return array.design.rect;
    const int column = cell.index / pitch_.rows;
    const int row = cell.index % pitch_.rows;
    return array.design.rect.translated(pitch_.left + column * pitch_.columnPitch, pitch_.top + row * pitch_.rowPitch);
}

Cell CellGrid::CellAt(QPoint p) const
{
    const int x = p.x() - pitch_.left;
    const int y = p.y() - pitch_.top;
    const bool onPitch
        = x >= 0 && y >= 0 && x / pitch_.columnPitch < pitch_.columns && y / pitch_.rowPitch < pitch_.rows;
    const int place = onPitch ? (x / pitch_.columnPitch) * pitch_.rows + y / pitch_.rowPitch : -1;
    for (int a = int(arrays_.size()) - 1; a >= 0; --a) {
        const Array &array = arrays_[a];
        if (array.pitched && place < 0)
            continue;
        const int id = array.firstId + (array.pitched ? place : 0);
        if (cells_[id].visible && RectOf(id).contains(p))
            return Cell(const_cast<CellGrid *>(this), id);
    }
    return Cell();
}

Cell CellGrid::AccessibleCell(int child) const
{
    auto *self = const_cast<CellGrid *>(this);
    const int free = int(freeCells_.size());
    if (child < free)
        return Cell(self, freeCells_[child]);
    const int k = child - free;
    const int perPlace = int(pitchedArrays_.size());
    return Cell(self, arrays_[pitchedArrays_[k % perPlace]].firstId + k / perPlace);
}

int CellGrid::AccessibleIndex(const Cell &cell) const
{
    const State &state = cells_[cell.id_];
    if (!arrays_[state.array].pitched)
        return int(std::find(freeCells_.begin(), freeCells_.end(), cell.id_) - freeCells_.begin());
    const int order
        = int(std::find(pitchedArrays_.begin(), pitchedArrays_.end(), state.array) - pitchedArrays_.begin());
    return int(freeCells_.size()) + state.index * int(pitchedArrays_.size()) + order;
}

// A refresh changes hundreds of cells: one rectangle around them all is repainted, rather
// than a region of hundreds of rectangles, which Qt would keep at a cost that grows with
// their number.
void CellGrid::Repaint(int id)
{
    dirty_ |= RectOf(id);
    update(dirty_);
}

// Nothing is built while no assistive tool listens: a refresh sets 512 captions. A tool
// hears of the cells it has read; one it has not read holds no text of ours that could go
// stale, so a refresh costs a listening screen reader only the cells it has looked at.
void CellGrid::Announce(int id, int type) const
{
    if (!QAccessible::isActive())
        return;
    CellGrid *grid = const_cast<CellGrid *>(this);
    const int index = AccessibleIndex(Cell(grid, id));
    if (!AccessibleCellMade(grid, index))
        return;
    QAccessibleEvent event(grid, QAccessible::Event(type));
    event.setChild(index);
    QAccessible::updateAccessibility(&event);
}

// Laid out when first painted.
const CaptionLayout &CellGrid::Layout(int id)
{
    State &cell = cells_[id];
    if (!cell.layout) {
        Array &array = arrays_[cell.array];
        if (!array.captions)
            array.captions = CaptionFont::For(array.design.font);
        cell.layout = array.captions->Layout(cell.caption);
    }
    return *cell.layout;
}

// A cell shown many times over is copied from its picture. Otherwise a caption whose pixels
// lie well inside its cell joins the batch, drawn later with the others in one call; one
// that may reach the cell's edge is drawn now, clipped to it.
void CellGrid::PaintCell(QPainter &painter, int id, bool pictures, CaptionBatch &batch)
{
    const State &cell = cells_[id];
    if (!cell.visible)
        return;
    const QRect rect = RectOf(id);
    const Qt::Alignment alignment = arrays_[cell.array].design.alignment;
    const CaptionLayout &caption = Layout(id);
    const QSizeF size = caption.Size();
    qreal x = 0;
    if (alignment & Qt::AlignHCenter)
        x = (rect.width() - size.width()) / 2;
    else if (alignment & Qt::AlignRight)
        x = rect.width() - size.width();
    const QPointF topLeft(rect.left() + x, rect.top() + (rect.height() - size.height()) / 2);
    if (pictures) {
        if (const QImage *picture = pictures_.Picture(cell.array, cell.layout, cell.back, rect, topLeft)) {
            painter.drawImage(rect.topLeft(), *picture);
            return;
        }
    }
    painter.fillRect(rect, cell.back);
    if (QRectF(rect).contains(caption.Ink().translated(topLeft))) {
        batch.Add(caption, topLeft);
        return;
    }
    painter.setClipRect(rect);
    caption.Draw(painter, topLeft);
    painter.setClipping(false);
}

// The cells of an array never overlap one another, so its captions can be drawn together
// once its cells are filled; an array added later is painted over it.
void CellGrid::paintEvent(QPaintEvent *event)
{
    dirty_ = QRect();
    const QRect area = event->rect();
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    const bool pictures = pictures_.Begin(painter);
    CaptionBatch batch;
    for (const Array &array : arrays_) {
        if (!array.pitched) {
            if (RectOf(array.firstId).intersects(area))
                PaintCell(painter, array.firstId, pictures, batch);
            batch.Draw(painter);
            continue;
        }
        // The places whose cells can reach into the area.
        const QRect places = area.translated(-pitch_.left, -pitch_.top);
        const int firstColumn = std::max(0, places.left() / pitch_.columnPitch);
        const int lastColumn = std::min(pitch_.columns - 1, places.right() / pitch_.columnPitch);
        const int firstRow = std::max(0, places.top() / pitch_.rowPitch);
        const int lastRow = std::min(pitch_.rows - 1, places.bottom() / pitch_.rowPitch);
        for (int column = firstColumn; column <= lastColumn; ++column) {
            for (int row = firstRow; row <= lastRow; ++row) {
                const int id = array.firstId + column * pitch_.rows + row;
                if (RectOf(id).intersects(area))
                    PaintCell(painter, id, pictures, batch);
            }
        }
        batch.Draw(painter);
    }
    pictures_.End();
}

bool CellGrid::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const Cell cell = CellAt(help->pos());
        if (cell.grid_ && !cells_[cell.id_].description.isEmpty()) {
            QToolTip::showText(help->globalPos(), cells_[cell.id_].description, this, RectOf(cell.id_));
            return true;
        }
        event->ignore();
        return true;
    }
    return QWidget::event(event);
}

namespace {

int ButtonCode(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton:
        return vbLeftButton;
    case Qt::RightButton:
        return vbRightButton;
    case Qt::MiddleButton:
        return vbMiddleButton;
    default:
        return 0;
    }
}

int ShiftMask(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & Qt::ShiftModifier ? vbShiftMask : 0) | (modifiers & Qt::ControlModifier ? vbCtrlMask : 0)
        | (modifiers & Qt::AltModifier ? vbAltMask : 0);
}

} // namespace

// A press on cell id, or -1 for none: left to the parent.
bool CellGrid::Press(int id, QMouseEvent *event)
{
    clickPending_ = false;
    if (id < 0) {
        event->ignore();
        return false;
    }
    State &cell = cells_[id];
    cell.lastPressButton = event->button();
    cell.lastPressTime = event->timestamp();
    clickPending_ = event->button() == Qt::LeftButton;
    event->accept();
    const Array &array = arrays_[cell.array];
    if (array.onMouseDown) {
        const QPoint p = event->position().toPoint() - RectOf(id).topLeft();
        array.onMouseDown(cell.index, ButtonCode(event->button()), ShiftMask(event->modifiers()), p.x(), p.y());
    }
    return true;
}

// A press while another button is held goes to the cell the first went down on, as Qt
// gives it to the widget that holds the mouse.
void CellGrid::mousePressEvent(QMouseEvent *event)
{
    if (event->buttons() == event->button()) {
        const Cell cell = CellAt(event->position().toPoint());
        pressed_ = cell.grid_ ? cell.id_ : -1;
    }
    Press(pressed_, event);
}

// Qt delivers the second press of a double click as a double-click event; on a cell it is
// no mouse-down, and its release no click. The first press may have gone to a cell a few
// pixels away, or to none: the event is then this cell's first press.
void CellGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    const Cell cell = CellAt(event->position().toPoint());
    pressed_ = cell.grid_ ? cell.id_ : -1;
    if (pressed_ < 0) {
        clickPending_ = false;
        event->ignore();
        return;
    }
    const State &state = cells_[pressed_];
    const bool secondPress = event->button() == state.lastPressButton
        && event->timestamp() - state.lastPressTime
            <= quint64(QGuiApplication::styleHints()->mouseDoubleClickInterval());
    if (!secondPress) {
        Press(pressed_, event);
        return;
    }
    clickPending_ = false;
    event->accept();
}

void CellGrid::mouseReleaseEvent(QMouseEvent *event)
{
    const int id = pressed_;
    const bool click = id >= 0 && clickPending_ && event->button() == Qt::LeftButton
        && RectOf(id).contains(event->position().toPoint());
    clickPending_ = false;
    if (event->buttons() == Qt::NoButton)
        pressed_ = -1;
    if (id < 0) {
        event->ignore();
        return;
    }
    event->accept();
    const Array &array = arrays_[cells_[id].array];
    if (click && array.onClick)
        array.onClick(cells_[id].index);
}

} // namespace toolkit
