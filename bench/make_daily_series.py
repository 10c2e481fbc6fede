#!/usr/bin/env python3
"""Writes a daily series for the Calvor benchmark and its statsparam.txt.

    make_daily_series.py DIR RECORDS COLUMNS [OPERATION]

Records run from 1 January 1901; values have three decimals; about one value
in a thousand is missing ("NA").
"""

import datetime
import os
import random
import sys


def main():
    out, records, columns = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    operation = sys.argv[4] if len(sys.argv) > 4 else "Mean"
    os.makedirs(out, exist_ok=True)
    rng = random.Random(11)
    start = datetime.date(1901, 1, 1)
    last = start + datetime.timedelta(days=records - 1)
    pool = ["%.3f" % rng.uniform(0, 900) for _ in range(9973)]
    with open(os.path.join(out, "daily.csv"), "w") as f:
        f.write("Date," + ",".join("Q%d" % c for c in range(1, columns + 1)) + "\n")
        k = 0
        for r in range(records):
            fields = []
            for _ in range(columns):
                k += 7
                fields.append("NA" if k % 1009 == 0 else pool[k % 9973])
            f.write((start + datetime.timedelta(days=r)).isoformat() + "," + ",".join(fields) + "\n")
    with open(os.path.join(out, "statsparam.txt"), "w") as f:
        f.write("1901\n1\n1\n%d\n%d\n%d\n%s\ndaily.csv\nmonthly.csv\nannual.csv\n"
                % (last.year, records, columns, operation))


if __name__ == "__main__":
    main()
