#pragma once
#include "toolkit/CaptionLayout.h"
#include "toolkit/CellPictures.h"

#include <QColor>
#include <QFont>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

namespace toolkit {

class CellGrid;

// The buttons and modifier keys as a cell's mouse-down reports them.
constexpr int vbLeftButton = 1;
constexpr int vbRightButton = 2;
constexpr int vbMiddleButton = 4;
constexpr int vbShiftMask = 1;
constexpr int vbCtrlMask = 2;
constexpr int vbAltMask = 4;

// The places of a grid: `rows` rows `rowPitch` pixels apart from `top`, filled column by
// column, the columns `columnPitch` pixels apart from `left`.
struct GridPitch {
    int left = 0;
    int top = 0;
    int columnPitch = 0;
    int rowPitch = 0;
    int rows = 0;
    int columns = 0;
};

// How the cells of an array look. In an array laid out on the pitch, `rect` is the cell
// in the first place, relative to the place's top left corner, and must lie inside the
// pitch; otherwise it is the one cell's rectangle in the grid.
struct CellDesign {
    QRect rect;
    QFont font;
    QColor back;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
};

// One cell of a grid, as a label: a caption on a back colour, shown or hidden. A light
// handle: copies name the same cell.
class Cell {
public:
    Cell() = default;
    Cell(CellGrid *grid, int id) : grid_(grid), id_(id) {}

    QString Caption() const;
    void SetCaption(const QString &text) const;
    QColor BackColor() const;
    void SetBackColor(const QColor &color) const;
    bool Visible() const;
    void SetVisible(bool visible) const;
    // The tooltip and the accessible description; "" for none.
    QString Description() const;
    void SetDescription(const QString &text) const;
    // Where the cell stands in the grid, in pixels.
    QRect Rect() const;
    int Left() const { return Rect().left(); }
    int Top() const { return Rect().top(); }
    QFont Font() const;

    bool operator==(const Cell &other) const { return grid_ == other.grid_ && id_ == other.id_; }
    bool operator!=(const Cell &other) const { return !(*this == other); }

private:
    friend class CellGrid;
    CellGrid *grid_ = nullptr;
    int id_ = -1;
};

// The cells of one array of a grid, by index, and the handlers of their mouse events. A
// mouse-down reports the cell's index, the button (vbLeftButton...), the modifier keys held
// (vbShiftMask...) and the pixel in the cell; a click is the left button pressed and
// released over the same cell. The second press of a double click is
// neither a mouse-down nor, with its release, a click.
class CellArray {
public:
    using MouseDown = std::function<void(int index, int button, int shift, int x, int y)>;
    using Click = std::function<void(int index)>;

    CellArray() = default;
    CellArray(CellGrid *grid, int array) : grid_(grid), array_(array) {}

    Cell operator[](int index) const;
    int Count() const;
    void OnMouseDown(MouseDown handler) const;
    void OnClick(Click handler) const;

private:
    CellGrid *grid_ = nullptr;
    int array_ = -1;
};

// Cells drawn by one widget: arrays of labels, each array either a cell at every place of
// a grid pitch (a place is found from a pixel by arithmetic) or a single cell placed
// freely. A cell added later stands over those added before it where they overlap. A
// mouse press outside every shown cell is left to the widget's parent, as is its release
// and its double click.
// Assistive tools see a pane whose children are static texts named by their captions,
// described by their descriptions, each with its rectangle on the screen: the free cells
// in the order they were added, then place by place the cells of the arrays there. Each
// caption change is announced to them.
class CellGrid : public QWidget {
    Q_OBJECT
public:
    CellGrid(const GridPitch &pitch, QWidget *parent);
    ~CellGrid() override;

    // A hidden cell at every place of the pitch.
    CellArray AddPitchedArray(const CellDesign &design);
    // One hidden cell of its own, at design.rect.
    Cell AddCell(const CellDesign &design);
    CellArray ArrayOf(const Cell &cell) const;

    // The shown cell at a pixel of the grid, the one on top where cells overlap; a cell
    // that names none (Cell()) outside every shown cell.
    Cell CellAt(QPoint p) const;

    // Cells in the order assistive tools read them.
    int AccessibleCount() const { return int(cells_.size()); }
    Cell AccessibleCell(int child) const;
    int AccessibleIndex(const Cell &cell) const;

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    friend class Cell;
    friend class CellArray;

    struct Array {
        CellDesign design;
        bool pitched = false;
        int firstId = 0;
        int count = 0;
        CaptionFont *captions = nullptr; // the layouts of the design's font
        CellArray::MouseDown onMouseDown;
        CellArray::Click onClick;
    };
    struct State {
        int array = 0;
        int index = 0;
        QString caption;
        QString description;
        QColor back;
        bool visible = false;
        std::shared_ptr<const CaptionLayout> layout; // of caption, once painted
        // The last press on the cell, which a double click's second press must follow.
        Qt::MouseButton lastPressButton = Qt::NoButton;
        quint64 lastPressTime = 0;
    };

    int AddArray(const CellDesign &design, bool pitched, int count);
    QRect RectOf(int id) const;
    void Repaint(int id);
    void Announce(int id, int type) const;
    const CaptionLayout &Layout(int id);
    void PaintCell(QPainter &painter, int id, bool pictures, CaptionBatch &batch);
    bool Press(int id, QMouseEvent *event);

    GridPitch pitch_;
    std::vector<Array> arrays_;
    std::vector<State> cells_;
    std::vector<int> freeCells_;     // ids of the free cells, in the order added
    std::vector<int> pitchedArrays_; // the pitched arrays, in the order added
    CellPictures pictures_;
    QRect dirty_;               // to be repainted, not yet painted
    int pressed_ = -1;          // the cell the buttons held went down on, or -1
    bool clickPending_ = false; // a left press on pressed_ whose release over it is a click
};

} // namespace toolkit
