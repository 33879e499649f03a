// boardview.cpp: drawing the board at device pixels, and what the mouse, the keys,
// the focus and the menu do on it.
#include "desktop/boardview.h"

#include "board/marks.h"
#include "desktop/boardaccessible.h"
#include "desktop/lessonfile.h"
#include "desktop/qtext.h"
#include "desktop/resource.h"
#include "picture/picture.h"
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

QColor colour(board::Rgb rgb) { return QColor(QRgb(0xFF000000 | rgb)); }

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

// The game's key for a key without modifiers on the board.
window::Key gameKey(int key)
{
    switch (key) {
    case Qt::Key_Left: return window::Key::Left;
    case Qt::Key_Right: return window::Key::Right;
    case Qt::Key_Up: return window::Key::Up;
    case Qt::Key_Down: return window::Key::Down;
    case Qt::Key_Home: return window::Key::Home;
    case Qt::Key_End: return window::Key::End;
    case Qt::Key_Space: return window::Key::Space;
    case Qt::Key_Return:
    case Qt::Key_Enter: return window::Key::Enter;
    case Qt::Key_F2: return window::Key::F2;
    case Qt::Key_F3: return window::Key::F3;
    default: return window::Key::Other;
    }
}

} // namespace

BoardView::BoardView(window::Play &play, Presenter present, QWidget *window)
    : QWidget(window), m_play(play), m_present(std::move(present)),
      m_builtIn(ReadResource(QStringLiteral(":/resources/picture.jpg"), "jpeg")), m_source(forDevice(m_builtIn))
{
    desktop::installAccessibility();
    setObjectName(QStringLiteral("board"));
    setAttribute(Qt::WA_OpaquePaintEvent);   // the slots cover the whole board
    setFocusPolicy(Qt::TabFocus);            // a click never shows the mark
    setGeometry(TwipsToRect(window::layout::Board));
    setAccessibleName(toQString(m_play.boardName()));
    const QRect all = device({0, 0, width(), height()});
    m_drawn = QPixmap(all.size());
    m_drawn.fill(Qt::black);
}

void BoardView::setSource(const QImage &picture)
{
    Q_ASSERT(picture.isNull() || picture.width() * picture::PictureHeight == picture.height() * picture::PictureWidth);
    m_picture = picture;
    m_source = forDevice(picture.isNull() ? m_builtIn : picture);
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

QRect BoardView::device(const forms::PixelRect &place) const
{
    // Whole device pixels, each edge rounded on its own, so that neighbours meet without a seam.
    const qreal ratio = devicePixelRatioF();
    return QRect(QPoint(qRound(place.x * ratio), qRound(place.y * ratio)),
                 QPoint(qRound((place.x + place.width) * ratio) - 1, qRound((place.y + place.height) * ratio) - 1));
}

int BoardView::unit() const { return std::max(1, qRound(devicePixelRatioF())); }

QRect BoardView::slotRect(int slot) const
{
    const forms::PixelRect &place = m_play.board().place(slot);
    return {place.x, place.y, place.width, place.height};
}

int BoardView::slotAt(const QPoint &point) const { return m_play.board().slotAt(point.x(), point.y()); }

void BoardView::pressSlot(int slot) { m_present(m_play.Picture2_Click(slot)); }

void BoardView::tile(int, const forms::PixelRect &place, const forms::PixelRect &cut)
{
    // The source is at device resolution or a whole fraction of it: every source pixel
    // is drawn as a sharp block.
    const qreal scale = qreal(m_source.width()) / picture::PictureWidth;
    const QRect piece(QPoint(qRound(cut.x * scale), qRound(cut.y * scale)),
                      QPoint(qRound((cut.x + cut.width) * scale) - 1, qRound((cut.y + cut.height) * scale) - 1));
    QPainter painter(&m_drawn);
    painter.drawPixmap(device(place), m_source, piece);
    update(place.x, place.y, place.width, place.height);
}

void BoardView::border(int, const forms::PixelRect &place)
{
    const int u = unit();
    const QRectF frame = QRectF(device(place)).adjusted(u / 2.0, u / 2.0, -u / 2.0, -u / 2.0);
    QPainter painter(&m_drawn);
    painter.setPen(QPen(colour(board::BorderColour), u, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));   // whole corners
    painter.drawRect(frame);
    QPen dashes(colour(board::DashColour), u, Qt::CustomDashLine, Qt::SquareCap, Qt::MiterJoin);
    dashes.setDashPattern({qreal(board::DashLength), qreal(board::DashLength)});
    painter.setPen(dashes);
    painter.drawRect(frame);
}

void BoardView::mark(int, const forms::PixelRect &place)
{
    const int u = unit();
    const QRect cell = device(place);
    QPainter painter(&m_drawn);
    for (const board::Ring &r : board::MarkRings)
        ring(painter, cell.adjusted(r.inset * u, r.inset * u, -r.inset * u, -r.inset * u), r.width * u, colour(r.colour));
}

void BoardView::dim(int, const forms::PixelRect &place)
{
    QColor veil = colour(board::DimColour);
    veil.setAlpha(board::DimOpacity);
    QPainter painter(&m_drawn);
    painter.fillRect(device(place), veil);
}

void BoardView::outline(int, const forms::PixelRect &place, board::Rgb rgb)
{
    const int u = unit();
    const QRect cell = device(place);
    const board::Ring &edge = board::OutlineEdge;
    QPainter painter(&m_drawn);
    ring(painter, cell, board::OutlineWidth * u, colour(rgb));
    ring(painter, cell.adjusted(edge.inset * u, edge.inset * u, -edge.inset * u, -edge.inset * u), edge.width * u,
         colour(edge.colour));
}

void BoardView::whole(bool shown)
{
    if (!shown)
        return;   // every slot is drawn again over it
    QPainter painter(&m_drawn);
    painter.drawPixmap(m_drawn.rect(), m_source);
    update();
}

void BoardView::label(int slot, std::string_view, std::string_view) { tellReaders(this, QAccessible::NameChanged, slot); }

void BoardView::selected(int slot, bool picked)
{
    // A picked piece is a selected cell of the board's table.
    tellReaders(this, picked ? QAccessible::SelectionAdd : QAccessible::SelectionRemove, slot);
}

void BoardView::shown(const window::Shown &shown)
{
    if (shown.glance) {
        // Readers hear the board named for what it shows.
        setAccessibleName(toQString(m_play.boardName()));
        if (m_play.glancing()) {
            // The next click or key anywhere in the window ends it and does nothing else.
            qApp->installEventFilter(this);
            if (hasFocus()) {
                QAccessibleEvent focus(this, QAccessible::Focus);
                QAccessible::updateAccessibility(&focus);
            }
        } else {
            // The rest of the ending click or key (its release, a context menu) is swallowed too.
            m_ending = true;
            QMetaObject::invokeMethod(this, [this] {
                m_ending = false;
                qApp->removeEventFilter(this);
            }, Qt::QueuedConnection);
        }
    }
    if (shown.cursorMoved)
        announceCursor();
}

bool BoardView::eventFilter(QObject *watched, QEvent *event)
{
    const auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || widget->window() != window() || (!m_play.glancing() && !m_ending))
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        event->accept();   // no shortcut runs: the key comes as a key press, which ends the glance
        return true;
    case QEvent::KeyPress:
        if (m_play.glancing() && !static_cast<QKeyEvent *>(event)->isAutoRepeat())
            m_present(m_play.endGlance());
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (m_play.glancing())
            m_present(m_play.endGlance());
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

bool BoardView::event(QEvent *event)
{
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    // Each slot has its own tooltip, which goes when the pointer leaves the slot.
    const auto *help = static_cast<QHelpEvent *>(event);
    const int slot = slotAt(help->pos());
    const QString tip = slot >= 0 ? toQString(m_play.board().slot(slot).tooltip) : QString();
    if (!tip.isEmpty()) {
        QToolTip::showText(help->globalPos(), tip, this, slotRect(slot));
    } else {
        QToolTip::hideText();
        event->ignore();
    }
    return true;
}

void BoardView::redrawForScreen()
{
    m_redrawQueued = false;
    m_source = forDevice(m_picture.isNull() ? m_builtIn : m_picture);
    m_drawn = QPixmap(device({0, 0, width(), height()}).size());
    m_drawn.fill(Qt::black);
    m_present(m_play.boardLost());
}

void BoardView::paintEvent(QPaintEvent *event)
{
    if (m_drawn.size() != device({0, 0, width(), height()}).size() && !m_redrawQueued) {
        // A screen of another density: the board is drawn anew at its device pixels, after
        // this paint, which shows what there is.
        m_redrawQueued = true;
        QMetaObject::invokeMethod(this, &BoardView::redrawForScreen, Qt::QueuedConnection);
    }
    QPainter painter(this);
    const qreal ratio = devicePixelRatioF();
    painter.scale(1 / ratio, 1 / ratio);
    const QRect area = device({event->rect().x(), event->rect().y(), event->rect().width(), event->rect().height()});
    painter.drawPixmap(area, m_drawn, area);
}

void BoardView::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton ? slotAt(event->position().toPoint()) : -1;
}

void BoardView::mouseReleaseEvent(QMouseEvent *event)
{
    // A click is a left press and release inside the same slot.
    const int slot = event->button() == Qt::LeftButton ? slotAt(event->position().toPoint()) : -1;
    if (slot >= 0 && slot == std::exchange(m_pressed, -1))
        pressSlot(slot);
}

void BoardView::keyPressEvent(QKeyEvent *event)
{
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    const window::Shown shown = m_play.key(plain ? gameKey(event->key()) : window::Key::Other, true);
    if (!shown.taken) {
        QWidget::keyPressEvent(event);
        return;
    }
    m_present(shown);
}

void BoardView::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    window::Shown shown = m_play.boardFocused(true);
    shown.cursorMoved = false;
    m_present(shown);
    // After the focus event Qt sends for the board itself, so that a reader ends on the cell.
    QMetaObject::invokeMethod(this, &BoardView::announceCursor, Qt::QueuedConnection);
}

void BoardView::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    m_present(m_play.boardLeft());
}

void BoardView::contextMenuEvent(QContextMenuEvent *event)
{
    auto *menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("pictureMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (const window::MenuItem &item : m_play.menu()) {
        if (item.act == window::MenuAct::SaveLesson && !CanSaveLessons())
            continue;   // a build that carries no page writes no lesson
        if (item.separatorBefore)
            menu->addSeparator();
        QAction *action = menu->addAction(toQString(item.text), this, [this, act = item.act] {
            switch (act) {
            case window::MenuAct::OpenPicture: emit openPictureAsked(); break;
            case window::MenuAct::BuiltInPicture: emit builtInPictureAsked(); break;
            case window::MenuAct::SaveLesson: emit saveLessonAsked(); break;
            case window::MenuAct::ShowWholePicture: m_present(m_play.glance()); break;
            case window::MenuAct::ShowCycles: m_present(m_play.showCycles()); break;
            }
        });
        action->setEnabled(item.enabled);
    }
    menu->popup(event->globalPos());
}

void BoardView::announceCursor()
{
    if (hasFocus() && !m_play.glancing())
        tellReaders(this, QAccessible::Focus, m_play.cursor());
}
