// boardview.cpp: building, rebuilding and painting the board.
#include "board/boardview.h"

#include "board/boardaccessible.h"
#include "board/boardgrid.h"
#include "board/picturefile.h"
#include "board/slotbox.h"
#include "model/game.h"
#include "model/texts.h"

QRect TwipsToRect(const forms::TwipRect &twips)
{
    const forms::PixelRect pixels = forms::ToPixels(twips);
    return {pixels.x, pixels.y, pixels.width, pixels.height};
}

BoardView::BoardView(QWidget *window)
    : QObject(window), m_window(window),
      m_builtIn(QPixmap::fromImage(board::ReadResource(QStringLiteral(":/resources/picture.jpg"), "jpeg"))),
      m_source(m_builtIn)
{
    Q_ASSERT(m_source.width() == 300 && m_source.height() == 250);
    board::installAccessibility();
    m_boxes[0] = makeBox(0);
    m_boxes[0]->setGeometry(TwipsToRect({960, 480, 750, 750}));
    m_grid = new BoardGrid(this, window);
    connect(m_grid, &BoardGrid::picked, this, &BoardView::Picture2_Click);
}

SlotBox *BoardView::makeBox(int index)
{
    auto *box = new SlotBox(index, m_window);
    connect(box, &SlotBox::clicked, this, [this](int slot) {
        m_grid->moveCursorTo(slot);
        emit Picture2_Click(slot);
    });
    return box;
}

void BoardView::setSource(const QImage &picture)
{
    Q_ASSERT(picture.isNull() || picture.size() == QSize(300, 250));
    m_source = picture.isNull() ? m_builtIn : QPixmap::fromImage(picture);
}

void BoardView::BuildBoard(const model::Game &game)
{
    const auto places = model::SlotPlaces(model::Picture1);
    m_boxes[0]->setGeometry(TwipsToRect(places[0]));
    for (int i = 1; i < model::PieceCount; ++i) {
        Q_ASSERT(!m_boxes[std::size_t(i)]);
        SlotBox *box = makeBox(i);
        box->setGeometry(TwipsToRect(places[std::size_t(i)]));
        box->setVisible(true);
        m_boxes[std::size_t(i)] = box;
    }
    m_grid->raise();   // over boxes 1 to 29 too
    PaintBoard(game);
}

void BoardView::RebuildBoard(const model::Game &game)
{
    for (int i = 1; i < model::PieceCount; ++i) {
        delete m_boxes[std::size_t(i)];
        m_boxes[std::size_t(i)] = nullptr;
    }
    BuildBoard(game);
}

void BoardView::PaintBoard(const model::Game &game)
{
    const forms::TwipRect piece = model::PieceBox(model::Picture1);
    for (int i = 0; i < model::PieceCount; ++i) {
        SlotBox *box = m_boxes[std::size_t(i)];
        const int tile = game.history().currentTile(i);
        const model::PieceOffset offset = model::LocatePiece(tile, piece.Width, piece.Height);
        box->setPiece(m_source, TwipsToRect({offset.SourceX, offset.SourceY, piece.Width, piece.Height}));
        box->setBorderStyle(game.hasBorder(i) ? 1 : 0);
        const std::string_view text = game.history().currentText(i);
        const QString tip = QString::fromLatin1(text.data(), qsizetype(text.size()));
        if (box->toolTip() != tip) {
            box->setToolTip(tip);
            box->setAccessibleName(QString::fromStdString(model::texts::SlotName(i, text)));
        }
    }
}
