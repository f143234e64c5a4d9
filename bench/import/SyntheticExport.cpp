#include "SyntheticExport.h"

#include "platform/AnsiCodec.h"

#include <QString>
#include <QStringList>

#include <random>

namespace tervalo::bench {

namespace {

const QStringList kFirst = {QStringLiteral("Stavby"),      QStringLiteral("Elektro"),
                            QStringLiteral("Dřevovýroba"), QStringLiteral("Kovárna"),
                            QStringLiteral("Pekárna"),     QStringLiteral("Truhlářství"),
                            QStringLiteral("Autoservis"),  QStringLiteral("Zahradnictví")};
const QStringList kSecond = {QStringLiteral("Šťastný"),     QStringLiteral("Žižka"),  QStringLiteral("Řehoř"),
                             QStringLiteral("Dvořák"),      QStringLiteral("Čermák"), QStringLiteral("Kůň"),
                             QStringLiteral("Bělohradský"), QStringLiteral("Ďurica")};
const QStringList kTowns = {
    QStringLiteral("Brno"),           QStringLiteral("Praha 8"), QStringLiteral("České Budějovice"),
    QStringLiteral("Ústí nad Labem"), QStringLiteral("Třebíč"),  QStringLiteral("Jičín")};

QString amount(std::mt19937& random) {
    int cents = int(random() % 10000000);
    return QString::number(cents / 100) + QLatin1Char(',') +
           QStringLiteral("%1").arg(cents % 100, 2, 10, QLatin1Char('0'));
}

QString date(std::mt19937& random) {
    return QStringLiteral("%1.%2.2026").arg(1 + random() % 28).arg(1 + random() % 12);
}

}  // namespace

QByteArray syntheticExport(int documentRows, unsigned seed) {
    std::mt19937 random(seed);
    QString text;
    text.reserve(qsizetype(documentRows) * 110);
    const QString eol = QStringLiteral("\r\n");
    text += QStringLiteral("TITUL;HLAVICKA;901;902;903") + eol;
    text += QStringLiteral("TITUL;RADEK;10.12.2026;14;Účetní kancelář Horák s.r.o.") + eol;
    text +=
        QStringLiteral("ODBERATEL;HLAVICKA;101;102;103;104;105;106;107;108;109;110;111;112;113;114") + eol;
    text += QStringLiteral("FAKTURA;HLAVICKA;201;202;203;204;205;206;207;208") + eol;
    text += QStringLiteral("DOBROPIS;HLAVICKA;301;302;303;304;305;306;307;308") + eol;
    int debtor = 0;
    for (int row = 0; row < documentRows; ++row) {
        if (row % 10 == 0) {
            ++debtor;
            QString name = kFirst[int(random() % kFirst.size())] + QLatin1Char(' ') +
                           kSecond[int(random() % kSecond.size())];
            if (debtor % 7 == 0) {
                name = QLatin1Char('"') + name + QStringLiteral("; syn a spol.\"");
            }
            text += QStringLiteral("ODBERATEL;RADEK;") + name + QStringLiteral(" s.r.o.;Průmyslová ") +
                    QString::number(debtor % 300) + QLatin1Char(';') + kTowns[int(random() % kTowns.size())] +
                    QStringLiteral(";602 00;Česká republika;www.firma") + QString::number(debtor) +
                    QStringLiteral(".cz;+420 541 000 111;;") + QString::number(10000000 + debtor) +
                    QStringLiteral(";ucetni@firma") + QString::number(debtor) + QStringLiteral(".cz;") +
                    amount(random) + QLatin1Char(';') + amount(random) + QStringLiteral(";0,00;0,00") + eol;
        }
        bool credit = row % 10 == 9;
        text += (credit ? QStringLiteral("DOBROPIS;RADEK;DB") : QStringLiteral("FAKTURA;RADEK;FV")) +
                QString::number(26000000 + row) + QLatin1Char(';') + date(random) + QLatin1Char(';') +
                date(random) + QLatin1Char(';') + date(random) + QLatin1Char(';') +
                QString::number(26000000 + row) + QLatin1Char(';') + amount(random) + QLatin1Char(';') +
                amount(random) + QStringLiteral(";CZK") + eol;
    }
    return platform::AnsiCodec(1250).encode(text);
}

}  // namespace tervalo::bench
