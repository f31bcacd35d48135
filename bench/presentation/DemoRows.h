#pragma once

// Demo-like rows for any report layout: values made up from the column names
// (dates, document numbers, names, quantities, money), in document order so
// the registers group as they do on real data.

#include <QDate>
#include <QRandomGenerator>
#include <QStringList>

#include "Recordset.h"
#include "Table.h"

#include <cmath>
#include <memory>

namespace orvane::bench {

inline std::shared_ptr<Recordset> demoRows(const QStringList &columns, int rows, quint32 seed = 7)
{
    static const QStringList vendors = {
        QStringLiteral("Al-Noor Pharma Distributors"), QStringLiteral("Karachi Medical Traders"),
        QStringLiteral("Shah & Sons (Pvt) Ltd"), QStringLiteral("Hilal Surgical, Lahore"),
        QStringLiteral("O'Brien Healthcare Supplies"), QStringLiteral("Crescent Chemicals"),
        QStringLiteral("Punjab Drug House"), QStringLiteral("Zafar Brothers Wholesale")};
    static const QStringList products = {
        QStringLiteral("Paracetamol 500mg Tab 10x10"), QStringLiteral("Amoxicillin 250mg Cap"),
        QStringLiteral("Cough Syrup 120ml"), QStringLiteral("Vitamin C Effervescent 20s"),
        QStringLiteral("Surgical Gloves Medium (100)"), QStringLiteral("ORS Sachet Orange"),
        QStringLiteral("Insulin Syringe 1ml"), QStringLiteral("Antiseptic Liquid 500ml")};
    static const QStringList units = {QStringLiteral("Box"), QStringLiteral("Pcs"), QStringLiteral("Btl"),
                                      QStringLiteral("Pack")};

    QRandomGenerator rng(seed);
    Table::Builder b(columns);
    int document = 1000;
    int linesLeft = 0;
    QDate day(2024, 4, 1);
    int vendor = 0;
    double price = 0;
    for (int r = 0; r < rows; ++r) {
        if (linesLeft == 0) {
            ++document;
            linesLeft = 1 + int(rng.bounded(6));
            vendor = int(rng.bounded(vendors.size()));
            if (rng.bounded(3) == 0)
                day = day.addDays(1);
        }
        --linesLeft;
        const int product = int(rng.bounded(products.size()));
        const double qty = 1 + rng.bounded(240);
        price = std::round((5 + rng.generateDouble() * 4000) * 100) / 100;
        const double gross = qty * price;
        const double disc = std::round(gross * (rng.bounded(4) * 2.5) / 100 * 100) / 100;
        const double tax = std::round(gross * 0.17 * 100) / 100;

        b.beginRow();
        for (int c = 0; c < columns.size(); ++c) {
            const QString name = columns[c].toLower();
            QVariant v;
            if (name.contains(QLatin1String("date")))
                v = day;
            else if (name == QLatin1String("purchaseid") || name == QLatin1String("purreturnid"))
                v = document;
            else if (name == QLatin1String("billno"))
                v = QStringLiteral("INV-%1").arg(70000 + document * 3);
            else if (name == QLatin1String("vendorid"))
                v = 100 + vendor;
            else if (name == QLatin1String("productid"))
                v = QStringLiteral("%1").arg(2001 + product);
            else if (name == QLatin1String("vendorname"))
                v = vendors[vendor];
            else if (name == QLatin1String("productname"))
                v = products[product];
            else if (name == QLatin1String("unitname"))
                v = units[product % units.size()];
            else if (name == QLatin1String("narration"))
                v = QStringLiteral("Short expiry, returned");
            else if (name == QLatin1String("qty") || name == QLatin1String("pqty"))
                v = qty;
            else if (name == QLatin1String("rqty"))
                v = std::floor(qty / 10);
            else if (name == QLatin1String("bonus"))
                v = rng.bounded(4) == 0 ? std::floor(qty / 10) : 0.0;
            else if (name.endsWith(QLatin1String("price")))
                v = price;
            else if (name == QLatin1String("grossvalue"))
                v = gross;
            else if (name == QLatin1String("totaldisc") || name.endsWith(QLatin1String("disc")))
                v = disc;
            else if (name == QLatin1String("salestax"))
                v = tax;
            else if (name == QLatin1String("netvalue") || name == QLatin1String("pvalue"))
                v = gross - disc + tax;
            else if (name == QLatin1String("rvalue"))
                v = std::round((gross - disc + tax) / 10 * 100) / 100;
            else if (name == QLatin1String("multiplier"))
                v = 12.0;
            else if (name == QLatin1String("comratio"))
                v = 2.5;
            else
                v = std::round(rng.generateDouble() * 50000 * 100) / 100;   // amounts
            b.setValue(c, v);
        }
        b.endRow();
    }
    auto rs = std::make_shared<Recordset>();
    rs->openTable(b.finish(), QStringLiteral("demo"));
    return rs;
}

} // namespace orvane::bench

namespace orvane::bench {

/// The columns each layout reads, in the query's order.
inline QStringList layoutColumns(const QString &className)
{
    const char *list = "";
    if (className == QLatin1String("crpPurchaseReturnSummary"))
        list = "Purreturnid Purreturndate purchaseid vendorname Grossvalue Totaldisc Salestax NetValue Qty Bonus Price";
    else if (className == QLatin1String("crpPurchaseSummary"))
        list = "purchaseid purchasedate vendorname Grossvalue Totaldisc Salestax NetValue PaidAmount";
    else if (className == QLatin1String("CrpPurchaseReturnRegister"))
        list = "purreturnid purreturndate vendorname productid productname qty bonus price Grossvalue Totaldisc "
               "Salestax NetValue VendorID Narration UnitName Multiplier ExpPlus ExpMinus ComRatio ReceivedAmount";
    else if (className == QLatin1String("crpPurchaseRegisterIW"))
        list = "purchaseid purchasedate billno vendorname productid productname qty bonus price Grossvalue "
               "Totaldisc Salestax NetValue";
    else if (className == QLatin1String("crpPurchaseLedger"))
        list = "purchaseid purchasedate billno vendorname qty bonus price Grossvalue Totaldisc Salestax NetValue";
    else if (className == QLatin1String("crpPurchaseReturnLedger"))
        list = "PurReturnID vendorname Qty Bonus Price Grossvalue Totaldisc Salestax NetValue PurReturnDate";
    else if (className == QLatin1String("CrpProductWisePurchase"))
        list = "ProductId ProductName PQty PPrice PDisc PValue RQty RPrice RDisc RValue UnitName";
    return QString::fromLatin1(list).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

} // namespace orvane::bench
