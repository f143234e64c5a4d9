"""Statutory late-payment interest, computed apart from the program for its tests.

Reads the rate table named by the first argument and, on standard input, one document a line as
"due date;remaining;as-of date" (dates YYYY-MM-DD). Prints "days;rate;interest" a line: the days of
delay, the statutory rate of the half-year the delay began in ("-" when the table lacks it or there is
no delay) and the interest rounded half up to hundredths.
"""
import sys
from datetime import date, timedelta
from decimal import ROUND_HALF_UP, Decimal


def read_rates(path):
    rates = {}
    with open(path, encoding="utf-8") as table:
        for line in table:
            line = line.strip()
            if not line or line.startswith("#"):
                continue
            start, _repo, statutory = line.split(";")
            rates[date.fromisoformat(start)] = Decimal(statutory.replace(",", "."))
    return rates


def interest(rates, due, remaining, as_of):
    days = max(0, (as_of - due).days)
    remaining = remaining.quantize(Decimal("0.01"), ROUND_HALF_UP)
    if days == 0 or remaining <= 0:
        return days, None, Decimal("0.00")
    first = due + timedelta(days=1)
    half_year = date(first.year, 1 if first.month <= 6 else 7, 1)
    rate = rates.get(half_year)
    if rate is None:
        return days, None, Decimal("0.00")
    amount = remaining * rate / Decimal(100) * Decimal(days) / Decimal(365)
    return days, rate, amount.quantize(Decimal("0.01"), ROUND_HALF_UP)


def main():
    rates = read_rates(sys.argv[1])
    for line in sys.stdin:
        if not line.strip():
            continue
        due, remaining, as_of = line.strip().split(";")
        days, rate, amount = interest(rates, date.fromisoformat(due), Decimal(remaining),
                                      date.fromisoformat(as_of))
        print(f"{days};{'-' if rate is None else f'{rate:.2f}'};{amount:.2f}")


if __name__ == "__main__":
    main()
