#!/usr/bin/env python3
"""Writes the seven report layout files of this folder.

The layouts share one look (title band, shaded column headings, money right
aligned, grouped registers with subtotals, grand totals, signature lines and a
page footer), so they are generated from the column lists below rather than
kept by hand. Run it from anywhere: python3 make_layouts.py
"""

import json
import os

HERE = os.path.dirname(os.path.abspath(__file__))

PORTRAIT_WIDTH = 190.0    # A4 inside 10 mm margins
LANDSCAPE_WIDTH = 277.0
PAD = 1.0                 # mm inside each column
ROW = 4.6                 # detail band height, mm

TITLE_FILL = "#DDE7F3"    # kept on paper (NO name)
HEADING_FILL = "#E4E4E4"  # stripped before printing
GROUP_FILL = "#F3F3F3"    # stripped before printing
INK = "#000000"
TITLE_INK = "#1F3B63"

FONT = "DejaVu Sans"
BODY = {"size": 8}        # point size of headings, rows and totals of the layout being made

# Money columns hold a year's totals of the demo data at full size. Larger
# figures, up to -999,999,999,999.99, the engine draws smaller (down to 6 pt)
# and lets spill into free space beside them: a totalled column needs 27.5 mm
# for that in bold, any other money column 24.5 mm.


def font(size=8, bold=False, italic=False):
    return {"family": FONT, "size": size, "bold": bold, "italic": italic}


def text(name, x, y, w, h, value, size=8, bold=False, align="left", italic=False, color=INK):
    return {"name": name, "kind": "text", "rect": [round(x, 2), round(y, 2), round(w, 2), round(h, 2)],
            "text": value, "font": font(size, bold, italic), "align": align, "foreColor": color}


def field(name, x, y, w, h, column, fmt, size=8, bold=False, align=None, decimals=2, blank_zero=False,
          grow=False, link=None):
    if align is None:
        align = "right" if fmt in ("money", "number", "integer") else ("center" if fmt == "date" else "left")
    o = {"name": name, "kind": "field", "rect": [round(x, 2), round(y, 2), round(w, 2), round(h, 2)],
            "field": column, "format": fmt, "font": font(size, bold), "align": align}
    if fmt == "number":
        o["decimals"] = decimals
    if blank_zero:
        o["blankWhenZero"] = True
    if grow:
        # Names wrap onto further lines and the band grows, rather than lose their end.
        o["canGrow"] = True
    if link:
        # The viewer opens the report that details this value (drill-through).
        o["link"] = link
    return o


def summary(name, x, y, w, h, column, fmt, scope, size=8, bold=True, decimals=2):
    o = field(name, x, y, w, h, column, fmt, size, bold, decimals=decimals)
    o["kind"] = "summary"
    o["function"] = "sum"
    o["scope"] = scope
    return o


def special(name, x, y, w, h, what, size=7, bold=False, align="left", parameter=0):
    o = {"name": name, "kind": "special", "rect": [round(x, 2), round(y, 2), round(w, 2), round(h, 2)],
         "special": what, "font": font(size, bold), "align": align}
    if parameter:
        o["position"] = parameter
    return o


def box(name, x, y, w, h, fill, line_width=0.2, border_color=None):
    o = {"name": name, "kind": "box", "rect": [round(x, 2), round(y, 2), round(w, 2), round(h, 2)],
         "fillColor": fill, "lineWidth": line_width}
    if border_color:
        o["foreColor"] = border_color
    return o


def line(name, x1, y, x2, width=0.2):
    return {"name": name, "kind": "line", "rect": [round(x1, 2), round(y, 2), round(x2 - x1, 2), 0],
            "lineWidth": width}


class Col:
    """One report column: the bound column, its heading, width (None: takes
    the rest), number format, whether the report totals it, whether its
    text wraps (names) and the report its values open in the viewer."""

    def __init__(self, column, heading, width, fmt="text", total=False, decimals=2, blank_zero=False, grow=False,
                 link=None):
        self.column, self.heading, self.width = column, heading, width
        self.fmt, self.total, self.decimals, self.blank_zero = fmt, total, decimals, blank_zero
        self.grow = grow
        self.link = link
        self.x = 0.0


def place(cols, body_width):
    fixed = sum(c.width for c in cols if c.width)
    flex = [c for c in cols if not c.width]
    rest = (body_width - fixed) / max(1, len(flex))
    x = 0.0
    for c in cols:
        if not c.width:
            c.width = rest
        c.x = x
        x += c.width
    return cols


def heading_align(c):
    return {"money": "right", "number": "right", "integer": "right", "date": "center"}.get(c.fmt, "left")


def title_block(name, title, width, company, headings):
    """Report header: the shaded title band with company, report name and the
    heading texts the windows set."""
    objs = []
    y = 1.5
    lines = []
    if company:
        lines.append(("txtCompName", "Company Name", 13, True, TITLE_INK))
    lines.append(("lblReportName", title, 12 if company else 14, True, TITLE_INK))
    band_h = 2.5 + sum(7.0 if s >= 12 else 5.2 for (_, _, s, _, _) in lines) + 5.0 * len(headings) + 1.5
    objs.append(box("NOTitleBand", 0, 0, width, band_h, TITLE_FILL, 0.3, "#9DB3D2"))
    for (n, t, s, b, c) in lines:
        h = 7.0 if s >= 12 else 5.2
        objs.append(text(n, 2, y, width - 4, h, t, s, b, "center", color=c))
        y += h
    y += 0.8
    for (n, t) in headings:
        objs.append(text(n, 2, y, width - 4, 5.0, t, 9, False, "center"))
        y += 5.0
    section = {"name": name, "kind": "reportHeader", "height": round(band_h + 3.0, 2), "objects": objs}
    return section


def heading_band(name, cols, width, caption_row=None):
    """Page header: column headings on a grey band (white on paper) between rules."""
    objs = []
    top = 0.0
    if caption_row:
        # Captions over column spans, e.g. Purchases / Returns.
        for (cname, caption, first, last) in caption_row:
            x1, x2 = cols[first].x, cols[last].x + cols[last].width
            objs.append(text(cname, x1 + PAD, 0, x2 - x1 - 2 * PAD, 4.6, caption, 8, True, "center"))
            objs.append(line(cname + "Rule", x1 + 2, 4.6, x2 - 2, 0.2))
        top = 5.0
    h = 6.0
    objs.append(box("HeadingBand", 0, top, width, h, HEADING_FILL, 0.0))
    objs.append(line("HeadingRuleTop", 0, top, width, 0.35))
    objs.append(line("HeadingRuleBottom", 0, top + h, width, 0.35))
    for c in cols:
        objs.append(text("hdr" + c.column, c.x + PAD, top, c.width - 2 * PAD, h, c.heading, BODY["size"], True,
                         heading_align(c)))
    return {"name": name, "kind": "pageHeader", "height": round(top + h + 1.0, 2), "objects": objs}


def detail(name, cols):
    objs = [field("fld" + c.column, c.x + PAD, 0, c.width - 2 * PAD, ROW, c.column, c.fmt, BODY["size"],
                  decimals=c.decimals, blank_zero=c.blank_zero, grow=c.grow, link=c.link) for c in cols]
    return {"name": name, "kind": "detail", "height": ROW, "objects": objs}


def totals_band(name, kind, cols, label, scope, width, double_rule):
    totalled = [c for c in cols if c.total]
    first = min(c.x for c in totalled)
    objs = [line(name + "RuleTop", first, 0.6, width, 0.3)]
    objs.append(text("lbl" + name, PAD, 1.0, first - 2 * PAD, 5.0, label, BODY["size"], True, "right"))
    for c in totalled:
        objs.append(summary(("tot" if scope == "report" else "sub") + c.column, c.x + PAD, 1.0,
                            c.width - 2 * PAD, 5.0, c.column, c.fmt, scope, BODY["size"], decimals=c.decimals))
    h = 6.8
    if double_rule:
        objs.append(line(name + "RuleBottom1", first, 6.4, width, 0.3))
        objs.append(line(name + "RuleBottom2", first, 7.1, width, 0.3))
        h = 9.0
    return {"name": name, "kind": kind, "height": h, "objects": objs}


def signatures(name, width):
    objs = []
    labels = ["Prepared by", "Checked by", "Approved by"]
    slot = width / 3
    for i, lab in enumerate(labels):
        x = i * slot + 8
        objs.append(line("sig" + lab.split()[0] + "Rule", x, 13, x + slot - 16, 0.25))
        objs.append(text("lblSig" + lab.split()[0], x, 13.5, slot - 16, 4.5, lab, 8, False, "center"))
    objs.append(text("lblEndOfReport", 0, 20, width, 4.5, "*** End of Report ***", 7, False, "center",
                     italic=True))
    return {"name": name, "kind": "reportFooter", "height": 25.0, "objects": objs}


def page_footer(name, width, footer_title):
    objs = [line("FooterRule", 0, 1.0, width, 0.25),
            text("lblPrinted", 0, 1.8, 17, 4.2, "Printed on:", 7, False, "left"),
            special("spPrintDate", 17, 1.8, 25, 4.2, "printDate", 7, False, "left"),
            text("lblFooterTitle", width / 2 - 60, 1.8, 120, 4.2, footer_title, 7, False, "center",
                 italic=True),
            special("spPageNofM", width - 45, 1.8, 45, 4.2, "pageNofM", 7, False, "right")]
    return {"name": name, "kind": "pageFooter", "height": 7.0, "objects": objs}


def write(layout):
    path = os.path.join(HERE, layout["name"] + ".json")
    with open(path, "w", encoding="utf-8") as f:
        json.dump(layout, f, indent=1, ensure_ascii=False)
        f.write("\n")


def base(name, orientation, title="Accounts Opening Balances"):
    return {"name": name, "title": title,
            "page": {"size": "A4", "orientation": orientation,
                     "margins": {"left": 10, "top": 10, "right": 10, "bottom": 10}},
            "parameters": [], "groups": [], "sections": []}


def money(column, heading, width=27.5, total=True, link=None):
    return Col(column, heading, width, "money", total, link=link)


def price(column, heading="Price", width=24.5):
    return Col(column, heading, width, "money")


def qty(column, heading, width=16, total=True, blank_zero=False):
    return Col(column, heading, width, "number", total, decimals=2, blank_zero=blank_zero)


def name(column, heading):
    return Col(column, heading, None, grow=True)


def flat_report(name, title, cols, company, headings, orientation="landscape"):
    """The five flat layouts: report header, page header, detail, grand totals,
    signatures, page footer."""
    width = LANDSCAPE_WIDTH if orientation == "landscape" else PORTRAIT_WIDTH
    BODY["size"] = 8 if orientation == "landscape" else 7.5
    place(cols, width)
    lay = base(name, orientation)
    lay["sections"] = [
        title_block("TSection1", title, width, company, headings),
        heading_band("PageHeaderSection1", cols, width),
        detail("TSection2", cols),
        totals_band("TSection3", "reportFooter", cols, "Grand Total", "report", width, True),
        page_footer("TSection5", width, title),
        signatures("TSection8", width),
    ]
    write(lay)


def register(name, title, group_column, group_label, header_objs, cols, headings, footer_extra=None):
    width = LANDSCAPE_WIDTH
    BODY["size"] = 8
    place(cols, width)
    lay = base(name, "landscape")
    # The outline names each document by its number, date and vendor.
    outline = ["grp" + group_column, "grp" + group_column.replace("id", "date"), "grpvendorname"]
    lay["groups"] = [{"field": group_column, "header": "GroupHeaderSection1",
                      "footer": "GroupFooterSection1", "outline": outline}]
    # The shading reaches the band's foot, so it grows with a wrapped name.
    gh = {"name": "GroupHeaderSection1", "kind": "groupHeader", "height": 7.0,
          "objects": [box("GroupBand", 0, 0.6, width, 6.4, GROUP_FILL, 0.0)] + header_objs
          + [special("spContinued", width - 40, 1.0, 39, 4.8, "groupContinued", 7, False, "right")]}
    gf = totals_band("GroupFooterSection1", "groupFooter", cols, "Total for " + group_label, "group",
                     width, False)
    if footer_extra:
        gf["objects"] += footer_extra
        gf["height"] = 12.5
    gf["height"] = round(gf["height"] + 1.5, 2)   # air before the next document
    lay["sections"] = [
        title_block("TSection1", title, width, False, headings),
        heading_band("PageHeaderSection1", cols, width),
        gh,
        detail("TSection2", cols),
        gf,
        totals_band("TSection3", "reportFooter", cols, "Grand Total", "report", width, True),
        page_footer("TSection5", width, title),
        signatures("TSection8", width),
    ]
    write(lay)


def labelled(prefix, x, label, label_w, column, fmt, value_w, y=1.0, h=4.8, grow=False):
    return [text("lbl" + prefix, x, y, label_w, h, label, 8, True, "left"),
            field("grp" + column, x + label_w, y, value_w, h, column, fmt, 8, True,
                  align="left", grow=grow)]


# Drill-through: a link names the report it opens by its command name, and the
# column whose value it carries (by default the field's own).
PURCHASE_REGISTER = "purchase-register"
RETURN_REGISTER = "purchase-return-register"
PURCHASE_LEDGER = "purchase-ledger"
RETURN_LEDGER = "purchase-return-ledger"


def opens(report, column=None):
    link = {"target": report}
    if column:
        link["field"] = column
    return link


def main():
    flat_report("crpPurchaseReturnSummary", "Purchase Returns Summary", [
        Col("Purreturnid", "Return No.", 20, "text", link=opens(RETURN_REGISTER)),
        Col("Purreturndate", "Date", 20, "date"),
        Col("purchaseid", "Purchase No.", 25, "text"),
        name("vendorname", "Vendor"),
        qty("Qty", "Qty", 18),
        qty("Bonus", "Bonus", 15, blank_zero=True),
        price("Price"),
        money("Grossvalue", "Gross Value"),
        money("Totaldisc", "Discount"),
        money("Salestax", "Sales Tax"),
        money("NetValue", "Net Value"),
    ], True, [("txtDate", "Date Between :")])

    # Landscape like the others: five money columns and the vendor do not fit
    # the width of a portrait page at a legible size.
    flat_report("crpPurchaseSummary", "Purchase Summary", [
        Col("purchaseid", "Inv. No.", 20, "text", link=opens(PURCHASE_REGISTER)),
        Col("purchasedate", "Date", 20, "date"),
        name("vendorname", "Vendor"),
        money("Grossvalue", "Gross Value", 30),
        money("Totaldisc", "Discount", 28),
        money("Salestax", "Sales Tax", 28),
        money("NetValue", "Net Value", 30),
        money("PaidAmount", "Paid Amount", 30),
    ], False, [("txtDate", "Date Between :")])

    flat_report("crpPurchaseLedger", "Product Purchase Ledger", [
        Col("purchaseid", "Invoice No.", 20, "text", link=opens(PURCHASE_REGISTER)),
        Col("purchasedate", "Date", 20, "date"),
        Col("billno", "Bill No.", 20),
        name("vendorname", "Vendor"),
        qty("qty", "Qty", 18),
        qty("bonus", "Bonus", 15, blank_zero=True),
        price("price"),
        money("Grossvalue", "Gross Value"),
        money("Totaldisc", "Discount"),
        money("Salestax", "Sales Tax"),
        money("NetValue", "Net Value"),
    ], False, [("txtDate", "Date Between :"), ("txtProduct", "Product :")])

    flat_report("crpPurchaseReturnLedger", "Product Purchase Return Ledger", [
        Col("PurReturnID", "Return No.", 20, "text", link=opens(RETURN_REGISTER)),
        Col("PurReturnDate", "Date", 20, "date"),
        name("vendorname", "Vendor"),
        qty("Qty", "Qty", 18),
        qty("Bonus", "Bonus", 15, blank_zero=True),
        price("Price"),
        money("Grossvalue", "Gross Value"),
        money("Totaldisc", "Discount"),
        money("Salestax", "Sales Tax"),
        money("NetValue", "Net Value"),
    ], True, [("txtDate", "Date Between :"), ("txtProduct", "Product :")])

    # The year's invoice totals reach billions: Gross and Net Value are wider.
    register("crpPurchaseRegisterIW", "Purchase Register (Invoicewise)", "purchaseid", "Invoice",
             labelled("InvoiceNo", 1, "Invoice No.", 20, "purchaseid", "text", 18)
             + labelled("Date", 42, "Date", 10, "purchasedate", "date", 22)
             + labelled("BillNo", 78, "Bill No.", 15, "billno", "text", 30)
             + labelled("Vendor", 126, "Vendor", 14, "vendorname", "text", 95, grow=True),
             [
                 Col("productid", "Code", 16, "text"),
                 name("productname", "Product"),
                 qty("qty", "Qty", 18, total=False),
                 qty("bonus", "Bonus", 15, total=False, blank_zero=True),
                 price("price"),
                 money("Grossvalue", "Gross Value", 30),
                 money("Totaldisc", "Discount"),
                 money("Salestax", "Sales Tax"),
                 money("NetValue", "Net Value", 30),
             ], [("Txtinvoice", "Invoiceno Between :")])

    ret_cols = [
        Col("productid", "Code", 16, "text"),
        name("productname", "Product"),
        Col("UnitName", "Unit", 13),
        qty("Multiplier", "Multiplier", 19, total=False),
        qty("qty", "Qty", 16, total=False),
        qty("bonus", "Bonus", 14, total=False, blank_zero=True),
        price("price"),
        money("Grossvalue", "Gross Value", 28),
        money("Totaldisc", "Discount"),
        money("Salestax", "Sales Tax"),
        money("NetValue", "Net Value", 28),
    ]
    extra_y = 7.0
    footer_extra = []
    x = 1.0
    for (lab, col, lw, vw, fmt) in [("Expenses (+)", "ExpPlus", 21, 22, "money"),
                                    ("Expenses (-)", "ExpMinus", 21, 22, "money"),
                                    ("Commission %", "ComRatio", 23, 14, "number"),
                                    ("Received", "ReceivedAmount", 16, 24, "money")]:
        footer_extra.append(text("lbl" + col, x, extra_y, lw, 4.6, lab + ":", 7.5, False, "left"))
        footer_extra.append(field("fld" + col, x + lw, extra_y, vw, 4.6, col, fmt, 7.5, False))
        x += lw + vw + 5
    register("CrpPurchaseReturnRegister", "Purchase Return Register", "purreturnid", "Return",
             labelled("ReturnNo", 1, "Return No.", 19, "purreturnid", "text", 16)
             + labelled("Date", 38, "Date", 10, "purreturndate", "date", 22)
             + [text("lblVendor", 74, 1.0, 14, 4.8, "Vendor", 8, True),
                field("grpVendorID", 88, 1.0, 14, 4.8, "VendorID", "text", 8, True, align="left"),
                field("grpvendorname", 102, 1.0, 70, 4.8, "vendorname", "text", 8, True, align="left",
                      grow=True),
                text("lblNarration", 174, 1.0, 20, 4.8, "Narration", 8, True),
                field("grpNarration", 194, 1.0, 42, 4.8, "Narration", "text", 8, False, align="left",
                      grow=True)],
             ret_cols, [("txtDate", "Date Between :"), ("Txtinvoice", "Invoiceno Between :")],
             footer_extra)

    # Product-wise purchases against returns: its own section names, a
    # run-time title and three parameters.
    width = LANDSCAPE_WIDTH
    cols = place([
        Col("ProductId", "Code", 16, "text"),
        name("ProductName", "Product"),
        Col("UnitName", "Unit", 12),
        qty("PQty", "Qty", 16, total=False),
        price("PPrice", "Avg. Price"),
        money("PDisc", "Discount"),
        money("PValue", "Value", 30, link=opens(PURCHASE_LEDGER, "ProductId")),
        qty("RQty", "Qty", 16, total=False),
        price("RPrice", "Avg. Price"),
        money("RDisc", "Discount"),
        money("RValue", "Value", 28, link=opens(RETURN_LEDGER, "ProductId")),
    ], width)
    lay = base("CrpProductWisePurchase", "landscape", title="")
    lay["parameters"] = ["CompanyId", "DateRange", "CompanyName"]
    rh_objs = [box("NOTitleBand", 0, 0, width, 22, TITLE_FILL, 0.3, "#9DB3D2"),
               special("spTitle", 2, 1.5, width - 4, 7.5, "reportTitle", 14, True, "center"),
               special("spDateRange", 2, 9.5, width - 4, 5.0, "parameter", 9, False, "center", parameter=2),
               special("spCompanyId", 4, 15.5, width / 2 - 6, 5.0, "parameter", 9, False, "left",
                       parameter=1),
               special("spCompanyName", width / 2 + 2, 15.5, width / 2 - 6, 5.0, "parameter", 9, False,
                       "right", parameter=3)]
    rh_objs[1]["foreColor"] = TITLE_INK
    rf = totals_band("ReportFooterSection1", "reportFooter", cols, "Grand Total", "report", width, True)
    sig = signatures("x", width)
    for o in sig["objects"]:
        for key in ("rect",):
            o[key][1] = round(o[key][1] + 6.0, 2)
    rf["objects"] += sig["objects"]
    rf["height"] = round(rf["height"] + sig["height"] + 2, 2)
    # A rule down the page between the purchase and the return figures.
    split = cols[7].x
    heading = heading_band("PageHeaderSection1", cols, width,
                           caption_row=[("lblPurchases", "Purchases", 3, 6), ("lblReturns", "Returns", 7, 10)])
    heading["objects"].append({"name": "SplitRuleHeading", "kind": "line",
                               "rect": [round(split, 2), 5.0, 0, heading["height"] - 5.0], "lineWidth": 0.2})
    rows = detail("DetailSection1", cols)
    rows["objects"].append({"name": "SplitRule", "kind": "line", "rect": [round(split, 2), 0, 0, ROW],
                            "lineWidth": 0.2})
    lay["sections"] = [
        {"name": "ReportHeaderSection1", "kind": "reportHeader", "height": 25.0, "objects": rh_objs},
        heading,
        rows,
        page_footer("PageFooterSection1", width, "Product Wise Purchases"),
        rf,
    ]
    write(lay)


if __name__ == "__main__":
    main()
