// slotbox.cpp: painting and clicks of one slot box.
#include "board/slotbox.h"

#include <QAccessibleWidget>
#include <QMouseEvent>
#include <QPainter>

namespace {

class SlotBoxAccessible : public QAccessibleWidget
{
public:
    explicit SlotBoxAccessible(SlotBox *box) : QAccessibleWidget(box, QAccessible::Button) {}

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.checkable = true;
        state.checked = box()->borderStyle() == 1;
        return state;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString &action) override
    {
        if (action == pressAction())
            emit box()->clicked(box()->index());
    }

private:
    SlotBox *box() const { return static_cast<SlotBox *>(widget()); }
};

QAccessibleInterface *slotBoxAccessible(const QString &className, QObject *object)
{
    if (className == QLatin1String("SlotBox") && object && object->isWidgetType())
        return new SlotBoxAccessible(static_cast<SlotBox *>(object));
    return nullptr;
}

} // namespace

void SlotBox::installAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(slotBoxAccessible);
        return true;
    }();
    Q_UNUSED(installed);
}

SlotBox::SlotBox(int index, QWidget *parent) : QWidget(parent), m_index(index)
{
    setObjectName(QStringLiteral("Picture2_%1").arg(index));
    setAttribute(Qt::WA_OpaquePaintEvent);   // the piece covers the whole box
    setFocusPolicy(Qt::NoFocus);
}

void SlotBox::setPiece(const QPixmap &source, const QRect &sourceRect)
{
    Q_ASSERT(!source.isNull() && source.rect().contains(sourceRect));
    if (sourceRect == m_sourceRect && source.cacheKey() == m_source.cacheKey())
        return;   // already showing it: nothing to repaint
    m_source = source;
    m_sourceRect = sourceRect;
    update();
}

void SlotBox::setBorderStyle(int style)
{
    Q_ASSERT(style == 0 || style == 1);
    if (style == m_borderStyle)
        return;
    m_borderStyle = style;
    update();
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(this, changed);
    QAccessible::updateAccessibility(&event);
}

void SlotBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    // Unscaled at ratio 1; at higher ratios every source pixel becomes a sharp block.
    painter.drawPixmap(rect(), m_source, m_sourceRect);
    if (m_borderStyle == 1) {
        // One line, black with white dashes, so it shows on dark and on lit pieces.
        const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        painter.setPen(QPen(Qt::black, 1));
        painter.drawRect(frame);
        QPen dashes(Qt::white, 1, Qt::CustomDashLine);
        dashes.setDashPattern({3, 3});
        painter.setPen(dashes);
        painter.drawRect(frame);
    }
}

void SlotBox::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
}

void SlotBox::mouseReleaseEvent(QMouseEvent *event)
{
    // A click is a left press and release inside the box.
    const bool click = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    if (click)
        emit clicked(m_index);
}
