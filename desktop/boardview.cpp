// boardview.cpp: building and painting the board, and what the mouse, the keyboard
// and the menu do on it.
#include "desktop/boardview.h"

#include "desktop/boardaccessible.h"
#include "desktop/qtext.h"
#include "desktop/resource.h"
#include "model/game.h"
#include "board/geometry.h"
#include "window/layout.h"
#include "window/texts.h"

#include <QAccessible>
#include <QApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>

#include <algorithm>
#include <utility>

QRect TwipsToRect(const forms::TwipRect &twips)
{
    const forms::PixelRect pixels = forms::ToPixels(twips);
    return {pixels.x, pixels.y, pixels.width, pixels.height};
}

namespace {

// A ring of the given width just inside rect.
void ring(QPainter &painter, const QRect &rect, int width, const QColor &colour)
{
    QPainterPath path;
    path.addRect(rect);
    path.addRect(rect.adjusted(width, width, -width, -width));   // odd-even fill leaves the inside
    painter.fillPath(path, colour);
}

// Tells screen readers about one cell of the board's table.
void tellReaders(BoardView *board, QAccessible::Event type, int slot)
{
    QAccessibleEvent event(board, type);
    event.setChild(board::ReadingIndex(slot));
    QAccessible::updateAccessibility(&event);
}

} // namespace

BoardView::BoardView(QWidget *window)
    : QWidget(window), m_builtIn(forDevice(ReadResource(QStringLiteral(":/resources/picture.jpg"), "jpeg"))),
      m_source(m_builtIn)
{
    board::installAccessibility();
    setObjectName(QStringLiteral("board"));
    setAttribute(Qt::WA_OpaquePaintEvent);   // the slots cover the whole board
    setFocusPolicy(Qt::TabFocus);            // a click never shows the mark
    setGeometry(TwipsToRect(window::layout::Board));
    setAccessibleName(toQString(window::texts::BoardName));
}

void BoardView::setSource(const QImage &picture)
{
    Q_ASSERT(picture.isNull() || picture.width() * picture::PictureHeight == picture.height() * picture::PictureWidth);
    m_source = picture.isNull() ? m_builtIn : forDevice(picture);
}

QPixmap BoardView::forDevice(const QImage &picture) const
{
    // At a whole ratio each pixel is drawn as a sharp block; between them the picture is
    // scaled smoothly once to the board's device pixels, never unevenly at paint time.
    const qreal ratio = devicePixelRatioF();
    const QSize device(qRound(picture::PictureWidth * ratio), qRound(picture::PictureHeight * ratio));
    if (picture.size() == device || ratio == qRound(ratio))
        return QPixmap::fromImage(picture);
    return QPixmap::fromImage(picture.scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

void BoardView::showWholePicture()
{
    if (m_glancing)
        return;
    m_glancing = true;
    qApp->installEventFilter(this);
    update();
    // Readers hear the board named for what it shows.
    setAccessibleName(toQString(window::texts::WholePicture));
    if (hasFocus()) {
        QAccessibleEvent focus(this, QAccessible::Focus);
        QAccessible::updateAccessibility(&focus);
    }
}

void BoardView::endGlance()
{
    m_glancing = false;
    m_ending = true;
    update();
    setAccessibleName(toQString(window::texts::BoardName));
    announceCursor();
    // The rest of the ending click or key (its release, a context menu) is swallowed too.
    QMetaObject::invokeMethod(this, [this] {
        m_ending = false;
        qApp->removeEventFilter(this);
    }, Qt::QueuedConnection);
}

bool BoardView::eventFilter(QObject *watched, QEvent *event)
{
    const auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || widget->window() != window())
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        event->accept();   // no shortcut runs: the key comes as a key press, which ends the glance
        return true;
    case QEvent::KeyPress:
        if (m_glancing && !static_cast<QKeyEvent *>(event)->isAutoRepeat())
            endGlance();
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (m_glancing)
            endGlance();
        return true;
    case QEvent::MouseButtonRelease:
    case QEvent::KeyRelease:
    case QEvent::ContextMenu:
    case QEvent::Shortcut:
        return true;
    default:
        return QWidget::eventFilter(watched, event);
    }
}

void BoardView::BuildBoard(const model::Game &game)
{
    const auto places = board::SlotPlaces(board::Picture1);
    for (int i = 0; i < model::PieceCount; ++i)
        m_slots[std::size_t(i)].place = TwipsToRect(places[std::size_t(i)]).translated(-pos());
    PaintBoard(game);
}

void BoardView::RebuildBoard(const model::Game &game)
{
    // Every slot is cut and painted anew; PaintBoard takes the borders off.
    for (Slot &slot : m_slots)
        slot.piece = QRect();
    BuildBoard(game);
}

void BoardView::PaintBoard(const model::Game &game)
{
    const forms::TwipRect piece = board::PieceBox(board::Picture1);
    for (int i = 0; i < model::PieceCount; ++i) {
        Slot &slot = m_slots[std::size_t(i)];
        const int tile = game.history().currentTile(i);
        const board::PieceOffset offset = board::LocatePiece(tile, piece.Width, piece.Height);
        const QRect cut = TwipsToRect({offset.SourceX, offset.SourceY, piece.Width, piece.Height});
        Q_ASSERT(m_source.rect().contains(cut));
        if (cut != slot.piece || m_source.cacheKey() != slot.source.cacheKey()) {
            slot.source = m_source;
            slot.piece = cut;
            update(slot.place);
        }
        const int style = game.hasBorder(i) ? 1 : 0;
        if (style != slot.BorderStyle) {
            slot.BorderStyle = style;
            update(slot.place);
            // A picked piece is a selected cell of the board's table.
            tellReaders(this, style == 1 ? QAccessible::SelectionAdd : QAccessible::SelectionRemove, i);
        }
        const std::string_view text = game.history().currentText(i);
        const QString tip = QString::fromLatin1(text.data(), qsizetype(text.size()));
        if (tip != slot.ToolTipText) {
            slot.ToolTipText = tip;
            slot.name = QString::fromStdString(window::texts::SlotName(i, text));
            tellReaders(this, QAccessible::NameChanged, i);
        }
    }
}

int BoardView::slotAt(const QPoint &point) const
{
    const auto hit = std::find_if(m_slots.begin(), m_slots.end(), [&](const Slot &slot) { return slot.place.contains(point); });
    return hit == m_slots.end() ? -1 : int(hit - m_slots.begin());
}

void BoardView::moveCursorTo(int slot)
{
    Q_ASSERT(slot >= 0 && slot < model::PieceCount);
    if (slot == m_cursor)
        return;
    const int from = std::exchange(m_cursor, slot);
    if (hasFocus()) {   // only then is the mark drawn
        update(slotRect(from));
        update(slotRect(m_cursor));
        announceCursor();
    }
}

void BoardView::pressSlot(int slot)
{
    moveCursorTo(slot);
    emit Picture2_Click(slot);
}

bool BoardView::event(QEvent *event)
{
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    // Each slot has its own tooltip, which goes when the pointer leaves the slot.
    const auto *help = static_cast<QHelpEvent *>(event);
    const int slot = slotAt(help->pos());
    if (slot >= 0 && !toolTipText(slot).isEmpty()) {
        QToolTip::showText(help->globalPos(), toolTipText(slot), this, slotRect(slot));
    } else {
        QToolTip::hideText();
        event->ignore();
    }
    return true;
}

void BoardView::paintEvent(QPaintEvent *event)
{
    // Everything is drawn in device pixels, the lines in whole ones, so that borders and
    // the mark stay sharp at any ratio: at 1.5 a logical pixel's line is 2 device pixels.
    const qreal ratio = devicePixelRatioF();
    const int unit = std::max(1, qRound(ratio));
    const auto device = [ratio](const QRect &rect) {
        return QRect(QPoint(qRound(rect.left() * ratio), qRound(rect.top() * ratio)),
                     QPoint(qRound((rect.right() + 1) * ratio) - 1, qRound((rect.bottom() + 1) * ratio) - 1));
    };
    QPainter painter(this);
    painter.scale(1 / ratio, 1 / ratio);
    if (m_glancing) {
        painter.drawPixmap(device(rect()), m_source);
        return;
    }
    for (const Slot &slot : m_slots) {
        if (!event->rect().intersects(slot.place) || slot.piece.isNull())
            continue;
        // The source is at device resolution or a whole fraction of it: every source pixel
        // is drawn as a sharp block.
        const qreal scale = qreal(slot.source.width()) / picture::PictureWidth;
        const QRect piece(QPoint(qRound(slot.piece.left() * scale), qRound(slot.piece.top() * scale)),
                          QPoint(qRound((slot.piece.right() + 1) * scale) - 1, qRound((slot.piece.bottom() + 1) * scale) - 1));
        const QRect target = device(slot.place);
        painter.drawPixmap(target, slot.source, piece);
        if (slot.BorderStyle == 1) {
            // One line, black with white dashes, so it shows on dark and on lit pieces.
            const QRectF frame = QRectF(target).adjusted(unit / 2.0, unit / 2.0, -unit / 2.0, -unit / 2.0);
            painter.setPen(QPen(Qt::black, unit, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));   // whole corners
            painter.drawRect(frame);
            QPen dashes(Qt::white, unit, Qt::CustomDashLine, Qt::SquareCap, Qt::MiterJoin);
            dashes.setDashPattern({3, 3});
            painter.setPen(dashes);
            painter.drawRect(frame);
        }
    }
    if (hasFocus()) {
        // Black, yellow and black again, inside the one-pixel pick border: clear on dark and
        // on light pieces, and unlike the dashed border, which shows beside it.
        const QRect cell = device(slotRect(m_cursor));
        ring(painter, cell.adjusted(2 * unit, 2 * unit, -2 * unit, -2 * unit), 4 * unit, Qt::black);
        ring(painter, cell.adjusted(3 * unit, 3 * unit, -3 * unit, -3 * unit), 2 * unit, QColor(255, 214, 0));
    }
}

void BoardView::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton ? slotAt(event->position().toPoint()) : -1;
}

void BoardView::mouseReleaseEvent(QMouseEvent *event)
{
    // A click is a left press and release inside the same slot.
    const int slot = event->button() == Qt::LeftButton ? slotAt(event->position().toPoint()) : -1;
    const bool click = slot >= 0 && slot == std::exchange(m_pressed, -1);
    if (click)
        pressSlot(slot);
}

void BoardView::keyPressEvent(QKeyEvent *event)
{
    if ((event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
        QWidget::keyPressEvent(event);
        return;
    }
    int column = m_cursor / model::GridRows;
    int row = m_cursor % model::GridRows;
    switch (event->key()) {
    case Qt::Key_Left: column = std::max(column - 1, 0); break;
    case Qt::Key_Right: column = std::min(column + 1, model::GridColumns - 1); break;
    case Qt::Key_Up: row = std::max(row - 1, 0); break;
    case Qt::Key_Down: row = std::min(row + 1, model::GridRows - 1); break;
    case Qt::Key_F2:
        showWholePicture();
        return;
    case Qt::Key_Home: column = 0; break;
    case Qt::Key_End: column = model::GridColumns - 1; break;
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        emit Picture2_Click(m_cursor);
        return;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    moveCursorTo(column * model::GridRows + row);
}

void BoardView::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    update(slotRect(m_cursor));
    // After the focus event Qt sends for the board itself, so that a reader ends on the cell.
    QMetaObject::invokeMethod(this, &BoardView::announceCursor, Qt::QueuedConnection);
}

void BoardView::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    update(slotRect(m_cursor));
}

void BoardView::contextMenuEvent(QContextMenuEvent *event)
{
    auto *menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("pictureMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addAction(toQString(window::texts::OpenPicture), this, &BoardView::openPictureAsked);
    QAction *builtIn = menu->addAction(toQString(window::texts::BuiltInPicture), this, &BoardView::builtInPictureAsked);
    builtIn->setEnabled(!showsBuiltIn());   // choosing it then would only wipe the game
    menu->addSeparator();
    menu->addAction(toQString(window::texts::ShowWholePicture), this, &BoardView::showWholePicture);
    menu->popup(event->globalPos());
}

void BoardView::announceCursor()
{
    if (hasFocus() && !m_glancing)
        tellReaders(this, QAccessible::Focus, m_cursor);
}
