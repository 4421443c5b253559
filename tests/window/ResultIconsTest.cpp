// The roster's result marks at every scale a screen asks for.

#include "window/ResultIcons.h"

#include <QTest>

using namespace goalvanta;

namespace {

constexpr int Results = 4;
const char* const Letters[Results] = {"N", "W", "D", "L"};
const QRgb Colours[Results] = {qRgb(0xFF, 0xFF, 0xFF), qRgb(0xFF, 0x00, 0x00),
                               qRgb(0xC0, 0xC0, 0xC0), qRgb(0x00, 0x00, 0xFF)};

// How much of each cell of the 8 x 8 letter grid the image covers, 0 to 1.
std::array<double, 64> Coverage(const QImage& image) {
    std::array<double, 64> cells{};
    const int cell = image.width() / 8;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            cells[static_cast<std::size_t>((y / cell) * 8 + x / cell)] +=
                qAlpha(image.pixel(x, y)) / 255.0 / (cell * cell);
    return cells;
}

int PartlyCovered(const QImage& image) {
    int partly = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            partly += qAlpha(image.pixel(x, y)) > 0 && qAlpha(image.pixel(x, y)) < 255 ? 1 : 0;
    return partly;
}

} // namespace

class TResultIconsTest : public QObject {
    Q_OBJECT

private slots:
    void eachMarkAtEachSize_data() {
        QTest::addColumn<int>("result");
        for (int result = 0; result < Results; ++result)
            QTest::newRow(Letters[result]) << result;
    }
    void eachMarkAtEachSize() {
        QFETCH(int, result);
        const auto index = static_cast<std::size_t>(result);

        // At normal scale: whole pixels of the mark's colour on a clear ground.
        const QImage small = ResultIconImage(index, 16);
        QCOMPARE(small.size(), QSize(16, 16));
        QCOMPARE(PartlyCovered(small), 0);
        int letter = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                if (qAlpha(small.pixel(x, y)) == 255) {
                    QCOMPARE(small.pixel(x, y), Colours[result]);
                    ++letter;
                }
        QVERIFY2(letter > 16 * 16 / 4 && letter < 16 * 16 * 3 / 4, "not a bold letter");

        for (int size : {32, 48, 64}) {
            const QImage large = ResultIconImage(index, size);
            QCOMPARE(large.size(), QSize(size, size));
            // The same letter: the cells the small image fills are the ones the
            // large one mostly covers, but for a few along the slants.
            const auto smallCells = Coverage(small), largeCells = Coverage(large);
            int differ = 0;
            for (std::size_t i = 0; i < 64; ++i)
                differ += (smallCells[i] > 0.5) != (largeCells[i] > 0.5) ? 1 : 0;
            QVERIFY2(differ <= 6,
                     qPrintable(QString("%1 of 64 cells differ at %2 px").arg(differ).arg(size)));
            // Drawn at its own size, not the small one blown up: the letters with
            // slants have smoothed edges.
            const QImage blownUp =
                small.scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
            if (result != 3) {
                QVERIFY(large != blownUp);
                QVERIFY(PartlyCovered(large) > 0);
            }
            for (int y = 0; y < size; ++y)
                for (int x = 0; x < size; ++x)
                    if (qAlpha(large.pixel(x, y)) == 255)
                        QCOMPARE(large.pixel(x, y), Colours[result]);
        }
    }

    // A doubled screen gets the 32 pixel image for a 16 pixel cell.
    void iconsHandEachScaleItsOwnImage() {
        for (std::size_t result = 0; result < ResultIcons().size(); ++result) {
            const QIcon& icon = ResultIcons()[result];
            for (qreal scale : {1.0, 2.0, 3.0, 4.0}) {
                const QImage shown = icon.pixmap(QSize(16, 16), scale)
                                         .toImage()
                                         .convertToFormat(QImage::Format_ARGB32);
                const int size = static_cast<int>(16 * scale);
                QCOMPARE(shown.size(), QSize(size, size));
                QVERIFY2(shown == ResultIconImage(result, size),
                         qPrintable(QString("%1 at %2x").arg(Letters[result]).arg(scale)));
            }
        }
    }

    void outsideTheMarksThereIsNoImage() {
        QVERIFY(ResultIconImage(4, 16).isNull());
        QVERIFY(ResultIconImage(0, 0).isNull());
    }
};

QTEST_MAIN(TResultIconsTest)
#include "ResultIconsTest.moc"
