#include "document/LayoutDump.h"

#include "document/Block.h"
#include "document/FormControl.h"
#include "document/ImageObj.h"
#include "document/Section.h"
#include "document/SectionList.h"
#include "document/Table.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

namespace tavlin {

namespace {

class TreeWriter {
public:
    explicit TreeWriter(std::string& out) : out_(out) {}

    void Cell(const TCell& cell, int depth) { Cell(cell, cell.FirstPos, cell.PosCount, depth); }

private:
    // A block's content holds the positions its block holds.
    void Cell(const TCellBasic& cell, int firstPos, int posCount, int depth) {
        Line(depth, "cell " + std::string(cell.OwnerTag) + " pos=" + Range(firstPos, posCount));
        for (int i = 0; i < cell.Count(); ++i) {
            Section(cell[i], depth + 1);
        }
    }

    void Section(const TSectionBase& s, int depth) {
        if (const auto* text = dynamic_cast<const TSection*>(&s)) {
            Text(*text, depth);
        } else if (const auto* li = dynamic_cast<const TBlockLI*>(&s)) {
            Block(*li, "li", depth, Marker(*li));
        } else if (const auto* hr = dynamic_cast<const THRBlock*>(&s)) {
            Block(*hr, "hr-block", depth, " align=" + std::to_string(hr->RuleAlign));
        } else if (const auto* tableBlock = dynamic_cast<const TTableBlock*>(&s)) {
            Block(*tableBlock, "table-block", depth, TableBlockExtra(*tableBlock));
        } else if (const auto* table = dynamic_cast<const ThtmlTable*>(&s)) {
            Table(*table, depth);
        } else if (const auto* body = dynamic_cast<const TBodyBlock*>(&s)) {
            Block(*body, "body", depth, {});
        } else if (const auto* block = dynamic_cast<const TBlock*>(&s)) {
            Block(*block, "block", depth, {});
        } else if (const auto* rule = dynamic_cast<const THorzLine*>(&s)) {
            Line(depth, "rule y=" + std::to_string(rule->ArrangeY) + " x=" + std::to_string(rule->RuleX) +
                            " w=" + std::to_string(rule->RuleWidth) +
                            " thickness=" + std::to_string(rule->Thickness) +
                            (rule->RuleColor != clNone ? " color=" + Hex(rule->RuleColor) : std::string()) +
                            (rule->NoShade ? " noshade" : ""));
        } else if (dynamic_cast<const TPage*>(&s)) {
            Line(depth, "page y=" + std::to_string(s.ArrangeY) + " pos=" + std::to_string(s.FirstPos));
        } else {
            Line(depth, "section y=" + std::to_string(s.ArrangeY) + " flow=" + std::to_string(s.FlowHeight));
        }
    }

    void Block(const TBlock& b, const char* kind, int depth, const std::string& extra) {
        std::string head =
            std::string(kind) + " " + std::string(b.Content.OwnerTag) + " y=" + std::to_string(b.ArrangeY) +
            " flow=" + std::to_string(b.FlowHeight) + " paint=" + std::to_string(b.PaintHeight()) +
            " content=(" + std::to_string(b.ContentX) + "," + std::to_string(b.ContentY()) +
            ") w=" + std::to_string(b.ContentWidth) + " bottom=" + std::to_string(b.ContentBottomY());
        head += Sides(" margin=", b.Box[piMarginTop], b.Box[piMarginRight], b.Box[piMarginBottom],
                      b.Box[piMarginLeft]);
        head += Sides(" padding=", b.Box[piPaddingTop], b.Box[piPaddingRight], b.Box[piPaddingBottom],
                      b.Box[piPaddingLeft]);
        head += Sides(" border=", b.Box[piBorderTopWidth], b.Box[piBorderRightWidth],
                      b.Box[piBorderBottomWidth], b.Box[piBorderLeftWidth]);
        if (Color(b.Box[piBackgroundColor]) != clNone) {
            head += " background=" + Hex(Color(b.Box[piBackgroundColor]));
        }
        if (b.Floating != TBlock::NoFloat) {
            head += b.Floating == TBlock::FloatLeft ? " float=left" : " float=right";
        }
        if (b.Positioning != TBlock::Static) {
            head += std::string(b.Positioning == TBlock::Absolute ? " absolute" : " relative") + "(" +
                    std::to_string(b.PosLeft()) + "," + std::to_string(b.PosTop()) + ")";
        }
        if (b.ClearAddon() != 0) {
            head += " clear=" + std::to_string(b.ClearAddon());
        }
        if (b.Layer() != 0) {
            head += " layer=" + std::to_string(b.Layer());
        }
        if (b.Hidden) {
            head += " hidden";
        }
        Line(depth, head + extra);
        Cell(b.Content, b.FirstPos, b.PosCount, depth + 1);
    }

    static std::string TableBlockExtra(const TTableBlock& b) {
        static constexpr const char* kJustify[] = {"", " justify=center", " justify=right"};
        std::string extra = kJustify[std::clamp(b.Justify, 0, 2)];
        if (b.WidthAttr > 0) {
            extra += " width=" + std::to_string(b.WidthAttr) + (b.WidthIsPercent ? "/1000" : "px");
        }
        if (b.HeightAttr > 0) {
            extra += " height=" + std::to_string(b.HeightAttr) + (b.HeightIsPercent ? "/1000" : "px");
        }
        return extra;
    }

    void Table(const ThtmlTable& t, int depth) {
        std::string head =
            "table y=" + std::to_string(t.ArrangeY) + " pos=" + Range(t.FirstPos, t.PosCount) +
            " grid=" + std::to_string(t.GridWidth) + "x" + std::to_string(t.BodyHeight) +
            " outer=" + std::to_string(t.OuterWidth) + " indent=" + std::to_string(t.GridIndent) +
            " spacing=" + std::to_string(t.CellSpacing) + " padding=" + std::to_string(t.CellPadding);
        if (t.HasBorder) {
            head += " border";
        }
        if (t.HasSpacingColour) {
            head += " bordercolor=" + Hex(t.SpacingColour);
        }
        if (t.HasTableColour) {
            head += " background=" + Hex(t.TableColour);
        }
        if (t.Floating) {
            head += " floating";
        }
        head += " columns=[";
        for (int c = 0; c < t.ColumnCount; ++c) {
            head += (c ? "," : "") + std::to_string(t.ColumnWidths[size_t(c)]);
        }
        Line(depth, head + "]");
        const bool hasCaption = !t.CaptionCell->Cell->IsEmpty();
        if (hasCaption && t.CaptionOnTop) {
            Caption(t, depth + 1);
        }
        for (int r = 0; r < t.RowCount(); ++r) {
            const TCellList& row = *t.RowList[size_t(r)];
            Line(depth + 1, "row " + std::to_string(r) + " y=" + std::to_string(row.RowTop) + " h=" +
                                std::to_string(row.RowHeight) + " span=" + std::to_string(row.SpanHeight) +
                                (row.HasRowColour ? " background=" + Hex(row.RowColour) : std::string()));
            int x = t.GridIndent;
            for (int c = 0; c < row.Count(); ++c) {
                if (const TCellObj* cell = row.At(c)) {
                    TableCell(*cell, c, x, depth + 2);
                }
                x += t.ColumnWidths[size_t(c)];
            }
        }
        if (hasCaption && !t.CaptionOnTop) {
            Caption(t, depth + 1);
        }
    }

    void Caption(const ThtmlTable& t, int depth) {
        Line(depth, std::string("caption ") + (t.CaptionOnTop ? "top" : "bottom") +
                        " h=" + std::to_string(t.CaptionHeight) + " w=" + std::to_string(t.OuterWidth));
        Cell(*t.CaptionCell->Cell, depth + 1);
    }

    void TableCell(const TCellObj& cell, int column, int x, int depth) {
        if (cell.IsFiller()) {
            Line(depth, "filler col=" + std::to_string(column) + " rowspan=" + std::to_string(cell.RowSpan));
            return;
        }
        static constexpr const char* kVAlign[] = {"top", "middle", "bottom"};
        std::string line =
            std::string(cell.Cell->OwnerTag) + " col=" + std::to_string(column) +
            " span=" + std::to_string(cell.ColSpan) + "x" + std::to_string(cell.RowSpan) +
            " x=" + std::to_string(x) + " w=" + std::to_string(cell.CellWidth) +
            " h=" + std::to_string(cell.CellHeight) + " content=" + std::to_string(cell.ContentHeight) + " " +
            kVAlign[std::clamp(cell.VAlign, 0, 2)] + " offset=" + std::to_string(cell.VerticalOffset);
        if (cell.SpecifiedWidth > 0) {
            line += " width=" + std::to_string(cell.SpecifiedWidth) + (cell.WidthIsPercent ? "/1000" : "px");
        }
        line += Sides(" padding=", cell.Padding[0], cell.Padding[1], cell.Padding[2], cell.Padding[3]);
        line += Sides(" border=", cell.BorderWidth[0], cell.BorderWidth[1], cell.BorderWidth[2],
                      cell.BorderWidth[3]);
        if (cell.HasBgColor) {
            line += " background=" + Hex(cell.BgColor);
        }
        Line(depth, line);
        Cell(*cell.Cell, depth + 1);
    }

    static std::string Marker(const TBlockLI& li) {
        static constexpr const char* kStyles[] = {"blank",       "circle",      "decimal", "disc",
                                                  "lower-alpha", "lower-roman", "none",    "square",
                                                  "upper-alpha", "upper-roman"};
        std::string m =
            " list=" + std::to_string(li.ListType()) + " marker=" + kStyles[int(li.MarkerStyle())];
        const std::string label = li.MarkerLabel();
        if (!label.empty()) {
            m += " \"" + label + "\"";
        }
        return m + " baseline=" + std::to_string(li.FirstBaseline);
    }

    void Text(const TSection& s, int depth) {
        static constexpr const char* kJustify[] = {"", "left", "center", "right"};
        Line(depth,
             std::string(s.IsPreformatted() ? "pre" : "text") + " pos=" + Range(s.FirstPos, s.PosCount) +
                 " y=" + std::to_string(s.ArrangeY) + " flow=" + std::to_string(s.FlowHeight) +
                 " paint=" + std::to_string(s.PaintHeight()) +
                 (s.Justify >= 1 && s.Justify <= 3 && s.Justify != 1 ? std::string(" ") + kJustify[s.Justify]
                                                                     : std::string()) +
                 (s.ClearSide ? " clear=" + std::to_string(s.ClearSide) : std::string()) +
                 (s.AnchorTarget ? " anchor" : "") + " \"" + Escaped(s.Text()) + "\"");
        for (const auto& run : s.FontRuns) {
            const TMyFont& f = run.Font();
            std::string line = "run " + std::to_string(run.Pos) + " \"" + f.Desc.name + "\" " +
                               std::to_string(f.Desc.height) + "px";
            if (f.Desc.style) {
                line += " ";
                line += f.Desc.bold() ? "b" : "";
                line += f.Desc.italic() ? "i" : "";
                line += f.Desc.underline() ? "u" : "";
                line += f.Desc.strikeOut() ? "s" : "";
            }
            line += " " + Hex(f.FontColor);
            if (f.BgColor != clNone) {
                line += " bg=" + Hex(f.BgColor);
            }
            if (run.ScriptShift) {
                line += run.ScriptShift == 1 ? " sub" : " sup";
            }
            if (run.HasLink()) {
                line += " link=\"" + Escaped(s.LinkOf(run).Url) + "\"";
            }
            Line(depth + 1, line);
        }
        for (const auto& object : s.Images()) {
            if (const auto* image = dynamic_cast<const TImageObj*>(object.get())) {
                Line(depth + 1, Image(*image));
            }
        }
        for (const TFloatingObj* object : s.Controls()) {
            if (const auto* control = dynamic_cast<const TFormControlObj*>(object)) {
                Line(depth + 1, FormControlLine(*control));
            }
        }
        for (const LineRec& l : s.Lines()) {
            Line(depth + 1, "line " + std::to_string(l.Start) + "+" + std::to_string(l.CharCount) +
                                " y=" + std::to_string(l.LineY) + " h=" + std::to_string(l.SpaceBefore) +
                                "/" + std::to_string(l.TextHeight) + "/" + std::to_string(l.SpaceAfter) +
                                " descent=" + std::to_string(l.Descent) + " indent=" +
                                std::to_string(l.IndentX) + " box=" + std::to_string(l.BoxHeight));
        }
    }

    static std::string FormControlLine(const TFormControlObj& c) {
        static constexpr const char* kAlign[] = {"none",   "top",  "middle", "baseline",
                                                 "bottom", "left", "right"};
        std::string line = std::string("control ") + c.KindName() + " " + std::to_string(c.Pos) + " " +
                           std::to_string(c.ObjWidth) + "x" + std::to_string(c.ObjHeight) + " " +
                           kAlign[std::clamp(c.ObjAlign, 0, 6)];
        line += Sides(" spaces=", 0, c.RightSpace, 0, c.LeftSpace);
        if (!c.Name.empty()) {
            line += " name=\"" + Escaped(c.Name) + "\"";
        }
        return line;
    }

    // An image: its offset, picture, alignment, drawn size, box in the line, spaces and where it
    // was last painted. Only the file's own name is shown, so dumps read alike on every machine.
    static std::string Image(const TImageObj& image) {
        static constexpr const char* kAlign[] = {"none",   "top",  "middle", "baseline",
                                                 "bottom", "left", "right"};
        static constexpr const char* kKind[] = {"placeholder", "placeholder", "error", "picture", "animated"};
        const std::string& src = image.Source;
        const size_t slash = src.find_last_of("/\\");
        std::string line = "image " + std::to_string(image.Pos) + " \"" +
                           Escaped(slash == std::string::npos ? src : src.substr(slash + 1)) + "\" " +
                           kKind[int(image.Kind())] + " align=" + kAlign[std::clamp(image.ObjAlign, 0, 6)] +
                           " draw=" + std::to_string(image.DrawWidth) + "x" +
                           std::to_string(image.DrawHeight) + " box=" + std::to_string(image.ObjWidth) + "x" +
                           std::to_string(image.ObjHeight) + " at=(" + std::to_string(image.DrawX) + "," +
                           std::to_string(image.DrawYY) + ")";
        line += Sides(" space=", image.TopSpace, image.RightSpace, image.BottomSpace, image.LeftSpace);
        if (image.HasBorder) {
            line += " border";
        }
        if (image.UseMap) {
            line += " usemap=" + image.MapName;
        }
        return line;
    }

    static std::string Range(int first, int count) {
        return std::to_string(first) + "+" + std::to_string(count);
    }

    static std::string Sides(const char* name, int top, int right, int bottom, int left) {
        if (top == 0 && right == 0 && bottom == 0 && left == 0) {
            return {};
        }
        return name + std::to_string(top) + "," + std::to_string(right) + "," + std::to_string(bottom) + "," +
               std::to_string(left);
    }

    static std::string Hex(Color c) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "#%02X%02X%02X", unsigned(redOf(c)), unsigned(greenOf(c)),
                      unsigned(blueOf(c)));
        return buf;
    }

    static std::string Escaped(std::string_view text) {
        std::string out;
        for (const char ch : text) {
            const auto c = static_cast<unsigned char>(ch);
            if (c == '\\' || c == '"') {
                out += '\\';
                out += ch;
            } else if (c < 0x20 || c >= 0x7F) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\x%02X", unsigned(c));
                out += buf;
            } else {
                out += ch;
            }
        }
        return out;
    }

    void Line(int depth, const std::string& text) {
        out_.append(size_t(depth) * 2, ' ');
        out_ += text;
        out_ += '\n';
    }

    std::string& out_;
};

} // namespace

std::string DumpLayoutTree(const TSectionList& document, int height, int scrollWidth) {
    std::string out = "document height=" + std::to_string(height) + " scroll=" + std::to_string(scrollWidth) +
                      " background=#";
    char buf[8];
    std::snprintf(buf, sizeof buf, "%06X",
                  unsigned(redOf(document.Background)) << 16 | unsigned(greenOf(document.Background)) << 8 |
                      unsigned(blueOf(document.Background)));
    out += buf;
    out += '\n';
    TreeWriter(out).Cell(document, 1);
    return out;
}

void PlaceObjects(TSectionList& document, Canvas& canvas, int width, int height) {
    document.SetYOffset(0);
    document.PaintDocument(canvas, Rect{0, 0, std::max(width, 1), std::max(height, 1)}, 6000, 0, 0, 0, 0);
}

} // namespace tavlin
