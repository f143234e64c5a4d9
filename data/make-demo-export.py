#!/usr/bin/env python3
"""Writes the bundled demo export (files/demo/Pohledavky.csv) in Windows-1250 with CR LF line ends,
in the layout that uhterv.def.src describes. Run it again after changing the data below."""
import os

SEP = ";"
AS_OF = "10.12.2026"

# name, street, town, postcode, country, www, phone, mobile, ICO, e-mail, documents
# documents: (kind, number, tax date, due date, issue date, var. symbol, total, unpaid, currency)
DEBTORS = [
    ("Alfa Stavby s.r.o.", "Průmyslová 12", "Brno", "602 00", "Česká republika", "www.alfastavby.cz",
     "+420 541 000 111", "+420 603 111 222", "25596641", "uctarna@alfastavby.cz",
     [("F", "FV260101", "2.9.2026", "16.9.2026", "2.9.2026", "260101", "48400,00", "48400,00", "CZK"),
      ("F", "FV260145", "1.10.2026", "15.10.2026", "1.10.2026", "260145", "12100,50", "6050,25", "CZK"),
      ("D", "DB260007", "20.10.2026", "3.11.2026", "20.10.2026", "260007", "-2420,00", "-2420,00", "CZK")]),
    ("Bělohradský a syn; stavební firma", "Na Výsluní 4", "Jičín", "506 01", "Česká republika", "",
     "+420 493 222 333", "", "47451084", "belohradsky@seznam.cz",
     [("F", "FV260118", "10.9.2026", "24.9.2026", "10.9.2026", "260118", "7865,00", "7865,00", "CZK")]),
    ("Čermák & Dvořák, v.o.s.", "U \"Zlatého\" lva 5", "Praha 1", "110 00", "Česká republika",
     "cermak-dvorak.cz", "+420 224 333 444", "+420 777 333 444", "63078074", "",
     [("F", "FV260122", "15.9.2026", "29.9.2026", "15.9.2026", "260122", "15730,00", "15730,00", "CZK"),
      ("F", "FV260160", "15.10.2026", "29.10.2026", "15.10.2026", "260160", "15730,00", "15730,00", "CZK")]),
    ("Dřevovýroba Šťastný", "Lesní 88", "Vsetín", "755 01", "Česká republika", "www.drevo-stastny.cz",
     "", "+420 731 444 555", "12345678", "  stastny@drevo-stastny.cz  ",
     [("F", "FV260171", "25.10.2026", "8.11.2026", "25.10.2026", "260171", "3025,00", "3025,00", "CZK"),
      ("F", "FV260190", "20.11.2026", "4.12.2026", "20.11.2026", "260190", "1210,00", "1210,00", "CZK")]),
    ("Elektro Žižka s.r.o.", "Husova 1021", "Tábor", "390 01", "Česká republika", "",
     "+420 381 555 666", "", "26178541", "fakturace@elektrozizka.cz",
     [("F", "FV260133", "22.9.2026", "6.10.2026", "22.9.2026", "260133", "96800,00", "50000,00", "CZK"),
      ("D", "DB260011", "30.10.2026", "13.11.2026", "30.10.2026", "260011", "-9680,00", "-9680,00", "CZK")]),
    ("Farma Úhlava", "Nádražní 7", "Klatovy", "339 01", "Česká republika", "www.farma-uhlava.cz",
     "", "", "70891095", "",
     [("F", "FV260140", "29.9.2026", "13.10.2026", "29.9.2026", "260140", "4235,00", "4235,00", "CZK")]),
    ("Gastro Řehoř", "Masarykovo nám. 3", "Třebíč", "674 01", "Česká republika", "",
     "+420 568 666 777", "+420 608 666 777", "87654321", "rehor@gastro-rehor.cz",
     [("F", "FV260150", "5.10.2026", "19.10.2026", "5.10.2026", "260150", "2178,00", "2178,00", "CZK"),
      ("F", "FV260151", "5.10.2026", "19.10.2026", "5.10.2026", "260151", "544,50", "544,50", "CZK"),
      ("F", "FV260188", "18.11.2026", "2.12.2026", "18.11.2026", "260188", "1331,00", "1331,00", "CZK")]),
    ("Hotel Ďáblice a.s.", "Ďáblická 150", "Praha 8", "182 00", "Česká republika", "www.hotel-dablice.cz",
     "+420 283 777 888", "", "45273600", "recepce@hotel-dablice.cz",
     [("F", "FV260155", "8.10.2026", "22.10.2026", "8.10.2026", "260155", "1500,00", "1500,00", "EUR")]),
    ("Instalatérství Kůň", "Zahradní 19", "Písek", "397 01", "Česká republika", "",
     "", "+420 720 888 999", "73512354", "kun.instalater@email.cz",
     [("F", "FV260199", "1.12.2026", "15.12.2026", "1.12.2026", "260199", "5445,00", "5445,00", "CZK")]),
    ("Jednota Ústí, spotřební družstvo", "Mírové nám. 1", "Ústí nad Labem", "400 01", "Česká republika",
     "", "+420 475 999 000", "", "00032158", "",
     [("F", "FV260128", "18.9.2026", "2.10.2026", "18.9.2026", "260128", "22990,00", "22990,00", "CZK"),
      ("D", "DB260009", "25.10.2026", "8.11.2026", "25.10.2026", "260009", "-1210,00", "-1210,00", "CZK")]),
    ("Kovárna Pelhřimov s.r.o.", "Strojírenská 6", "Pelhřimov", "393 01", "Česká republika",
     "www.kovarna-pe.cz", "+420 565 100 200", "", "28145631", "obchod@kovarna-pe.cz",
     [("F", "FV260136", "24.9.2026", "8.10.2026", "24.9.2026", "260136", "60500,00", "60500,00", "CZK"),
      ("F", "FV260176", "30.10.2026", "13.11.2026", "30.10.2026", "260176", "18150,00", "18150,00", "CZK")]),
    ("Ostatní", "", "", "", "", "", "", "", "", "",
     [("F", "FV260142", "30.9.2026", "14.10.2026", "30.9.2026", "260142", "968,00", "968,00", "CZK"),
      ("F", "FV260183", "10.11.2026", "24.11.2026", "10.11.2026", "260183", "242,00", "242,00", "CZK")]),
]


def num(text):
    return float(text.replace(",", "."))


def fmt(value):
    return f"{value:.2f}".replace(".", ",")


def cell(text):
    if SEP in text or '"' in text:
        return '"' + text.replace('"', '""') + '"'
    return text


def main():
    lines = [
        ["TITUL", "HLAVICKA", "901", "902", "903"],
        ["TITUL", "RADEK", AS_OF, "14", "Účetní kancelář Horák s.r.o."],
        ["ODBERATEL", "HLAVICKA"] + [str(c) for c in range(101, 115)],
        ["FAKTURA", "HLAVICKA"] + [str(c) for c in range(201, 209)],
        ["DOBROPIS", "HLAVICKA"] + [str(c) for c in range(301, 309)],
    ]
    for debtor in DEBTORS:
        *fields, docs = debtor
        invoices = [d for d in docs if d[0] == "F"]
        credits = [d for d in docs if d[0] == "D"]
        totals = [sum(num(d[6]) for d in invoices), sum(num(d[7]) for d in invoices),
                  sum(num(d[6]) for d in credits), sum(num(d[7]) for d in credits)]
        lines.append(["ODBERATEL", "RADEK"] + list(fields) + [fmt(t) for t in totals])
        for kind, *values in docs:
            lines.append(["FAKTURA" if kind == "F" else "DOBROPIS", "RADEK"] + values)
    text = "".join(SEP.join(cell(c) for c in line) + "\r\n" for line in lines)
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "files", "demo", "Pohledavky.csv")
    with open(out, "wb") as f:
        f.write(text.encode("cp1250"))


if __name__ == "__main__":
    main()
