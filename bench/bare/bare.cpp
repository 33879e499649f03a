// bare.cpp: the start-up yardstick: a plain Qt Widgets program with the game window's
// content and none of its logic: a fixed 466 x 424 window, the picture as 30 labels
// with tooltips, a plain-text box with the help text and four buttons.
#include "window/texts.h"

#include <QApplication>
#include <QLabel>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>

#include <string_view>

namespace {

QString utf8(std::string_view text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare"));
    window.setFixedSize(466, 424);
    window.setFont(QFont(QStringLiteral("Times New Roman"), 12));

    const QPixmap picture(QStringLiteral(":/resources/picture.jpg"));
    for (int i = 0; i < 30; ++i) {
        auto *label = new QLabel(&window);
        label->setGeometry(64 + (i / 5) * 50, 30 + (i % 5) * 50, 50, 50);
        label->setPixmap(picture.copy((i / 5) * 50, (i % 5) * 50, 50, 50));
        label->setToolTip(QString::number(i));
    }
    auto *text = new QPlainTextEdit(utf8(window::texts::HelpText), &window);
    text->setGeometry(8, 296, 449, 121);
    const int tops[4] = {40, 72, 200, 240};
    for (int i = 0; i < 4; ++i) {
        auto *button = new QPushButton(utf8(window::texts::Commands[i]), &window);
        button->setGeometry(376, tops[i], 81, 25);
    }
    window.show();
    return QApplication::exec();
}
