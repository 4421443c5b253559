#pragma once

#include <QFont>
#include <QHash>
#include <QStaticText>
#include <QStyledItemDelegate>

namespace goalvanta {

// Draws a report list's cells exactly as QStyledItemDelegate does, but keeps the
// shaped glyphs of each text it has drawn. The standard path lays out, shapes and
// measures every cell's text on every paint, which is most of what repainting a
// page of a list costs; a page of the roster or the shop shows texts that were
// mostly drawn before. Background, selection, icon and focus stay the style's.
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
    // The prepared text for `text` in `font`; the cache starts over when the font
    // changes or it has grown past a few pages of distinct texts.
    const QStaticText& Prepared(const QString& text, const QFont& font) const;

    mutable QHash<QString, QStaticText> FTexts;
    mutable QFont FFont;
};

} // namespace goalvanta
