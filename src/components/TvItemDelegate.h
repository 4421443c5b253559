#pragma once

#include <QFont>
#include <QHash>
#include <QStaticText>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QStyledItemDelegate>
#include <array>
#include <cstddef>

namespace goalvanta {

// Draws a report list's cells exactly as QStyledItemDelegate does, but keeps the
// shaped glyphs of each text it has drawn. The standard path lays out, shapes and
// measures every cell's text on every paint, which is most of what repainting a
// page of a list costs; a page of the roster or the shop shows texts that were
// mostly drawn before. Background, selection, icon and focus are drawn as the
// common style draws them, which Fusion and Windows use unchanged.
// A text that does not fit its cell, holds a line break or wraps takes the
// standard path, so elision and wrapping look as they always do; so does every
// text under a style other than Fusion or Windows, which may draw texts its way.
class TTvItemDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    struct TPreparedText {
        QStaticText Text;
        QRectF Ink; // the glyphs' bounds from the drawing origin
    };

    // The prepared text for `text` in `font`; the cache starts over when the font
    // changes or it has grown past a few pages of distinct texts.
    const TPreparedText& Prepared(const QString& text, const QFont& font) const;

    // What the style's layout of a cell depends on: the fields that decide the
    // style's own cache, less the cell's position.
    struct TLayoutKey {
        const QStyle* Style = nullptr;
        const QWidget* Widget = nullptr;
        QSize Size;
        QStyleOptionViewItem::ViewItemFeatures Features;
        QStyle::State State;
        QSize DecorationSize;
        QStyleOptionViewItem::Position DecorationPosition = QStyleOptionViewItem::Left;
        Qt::Alignment DecorationAlignment, DisplayAlignment;
        Qt::LayoutDirection Direction = Qt::LeftToRight;
        bool HasIcon = false;
        QStyleOptionViewItem::ViewItemPosition ViewItemPosition = QStyleOptionViewItem::Invalid;
        QFont Font;

        static TLayoutKey Of(const QStyleOptionViewItem& cell, const QStyle& style);
        bool operator==(const TLayoutKey&) const = default;
    };

    // Where the style puts a cell's text (with no text in the option) and its icon,
    // relative to the cell's corner.
    struct TCellLayout {
        TLayoutKey Key;
        QRect Text, Icon;
    };

    // The layout of `cell`, from the last few the style worked out: a list's
    // columns repeat the same few on every row.
    const TCellLayout& Layout(const QStyleOptionViewItem& cell, const QStyle& style) const;

    // The cell as the common style draws it, less its text.
    static void DrawPanelAndIcon(QPainter& painter, const QStyleOptionViewItem& cell,
                                 const QStyle& style, const QRect& textRect, const QRect& iconRect);

    mutable std::array<TCellLayout, 8> FLayouts;
    mutable std::size_t FNextLayout = 0;

    mutable QHash<QString, TPreparedText> FTexts;
    mutable QFont FFont;
};

} // namespace goalvanta
