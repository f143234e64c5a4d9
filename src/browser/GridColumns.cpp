#include "browser/GridColumns.h"

namespace tervalo::browser {

namespace {

const QColor kRemaining(255, 233, 213);
const QColor kRed(Qt::red);
constexpr Qt::Alignment kRight = Qt::AlignRight | Qt::AlignVCenter;
constexpr Qt::Alignment kCentre = Qt::AlignCenter;

GridColumn statusColumn(const char* field, GridIcon icon, const char* iconField, bool iconWhen) {
    GridColumn column;
    column.field = QString::fromLatin1(field);
    column.title = QStringLiteral("I");
    column.width = 18;
    column.alignment = kCentre;
    column.icon = icon;
    column.iconField = QString::fromLatin1(iconField);
    column.iconWhen = iconWhen;
    return column;
}

GridColumn textColumn(const char* field, const QString& title, int width = 0) {
    GridColumn column;
    column.field = QString::fromLatin1(field);
    column.title = title;
    column.width = width;
    return column;
}

GridColumn amountColumn(const char* field, const QString& title, int width = 0) {
    GridColumn column = textColumn(field, title, width);
    column.alignment = kRight;
    column.amount = true;
    return column;
}

}  // namespace

std::vector<GridColumn> debtorColumns() {
    GridColumn name = textColumn("OdbNazev", QStringLiteral("Název firmy"), 234);
    name.sortable = true;
    GridColumn remaining = amountColumn("ZbyvaUh", QStringLiteral("Zbývající úhrada "), 129);
    remaining.sortable = true;
    remaining.background = kRemaining;
    GridColumn remainingCredit = amountColumn("ZbyvaUhDobr", QStringLiteral("Zbýv. úhr. dobropisy "));
    remainingCredit.background = kRemaining;
    remainingCredit.textColor = kRed;
    GridColumn credit = amountColumn("CelkemDobr", QStringLiteral("Celkem (dobropisy) "));
    credit.textColor = kRed;
    return {
        statusColumn("Exportovat", GridIcon::Excluded, "Exportovat", false),
        statusColumn("JeEmail", GridIcon::NoEmail, "JeEmail", false),
        textColumn("Uroven", QStringLiteral("Úroveň"), 110),
        name,
        remaining,
        textColumn("OdbICO", QStringLiteral("IČO")),
        remainingCredit,
        textColumn("OdbEmail", QStringLiteral("E-mail"), 178),
        amountColumn("Celkem", QStringLiteral("Celkem ")),
        credit,
        textColumn("OdbTel", QStringLiteral("Telefon")),
        textColumn("OdbMobil", QStringLiteral("Mobil")),
        textColumn("OdbUlice", QStringLiteral("Ulice")),
        textColumn("OdbMisto", QStringLiteral("Město")),
        textColumn("OdbPSC", QStringLiteral("PSČ")),
        textColumn("OdbStat", QStringLiteral("Stát")),
        textColumn("OdbWWW", QStringLiteral("Internet")),
    };
}

std::vector<GridColumn> documentColumns() {
    GridColumn remaining = amountColumn("CelkNeprop", QStringLiteral("Zbývá uhradit "));
    remaining.background = kRemaining;
    GridColumn days = textColumn("DnuPoSplat", QStringLiteral("Dnů po splat. "));
    days.alignment = kRight;
    days.bold = true;
    return {
        statusColumn("Exportovat", GridIcon::Excluded, "Exportovat", false),
        statusColumn("Dobropis", GridIcon::Note, "JePozn", true),
        textColumn("CisloDokl", QStringLiteral("Číslo dokladu")),
        textColumn("DatVyst", QStringLiteral("Datum vyst.")),
        textColumn("DatSplat", QStringLiteral("Datum splat.")),
        amountColumn("Celkem", QStringLiteral("Celkem "), 70),
        remaining,
        textColumn("Mena", QStringLiteral("Měna")),
        days,
        amountColumn("UrokZProdleni", QStringLiteral("Úrok z prodl. ")),
        textColumn("VarSymbol", QStringLiteral("Var. symbol")),
        textColumn("DatDPH", QStringLiteral("Datum DPH")),
    };
}

}  // namespace tervalo::browser
