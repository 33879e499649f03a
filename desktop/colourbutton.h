// colourbutton.h: a command button drawn in its own face colour on every Qt style.
#pragma once

#include <QColor>
#include <QPushButton>

class ColourButton : public QPushButton
{
    Q_OBJECT

public:
    ColourButton(const QString &caption, const QColor &face, QWidget *parent);
    QColor face() const { return m_face; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QColor m_face;
};
