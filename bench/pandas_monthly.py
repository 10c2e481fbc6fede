#!/usr/bin/env python3
"""The users' alternative to Calvor: monthly and annual figures with pandas.

    pandas_monthly.py [mean|sum|min]

Mean: monthly means and annual means of the monthly means; Sum: monthly and
annual sums of the days (min_count=1, so a period without a value is NaN);
Min: monthly and annual minima. Writes pandas_monthly.csv and pandas_annual.csv."""

import sys

import pandas as pd

operation = sys.argv[1] if len(sys.argv) > 1 else "mean"
frame = pd.read_csv("daily.csv", index_col=0, parse_dates=True)
if operation == "mean":
    monthly = frame.resample("MS").mean()
    annual = monthly.resample("YS").mean()
elif operation == "sum":
    monthly = frame.resample("MS").sum(min_count=1)
    annual = frame.resample("YS").sum(min_count=1)
else:
    monthly = frame.resample("MS").min()
    annual = monthly.resample("YS").min()
monthly.to_csv("pandas_monthly.csv")
annual.to_csv("pandas_annual.csv")
