#!/usr/bin/env python3
"""The users' alternative to Calvor: monthly means and annual means of the
monthly means with pandas. Writes pandas_monthly.csv and pandas_annual.csv."""

import pandas as pd

frame = pd.read_csv("daily.csv", index_col=0, parse_dates=True)
monthly = frame.resample("MS").mean()
annual = monthly.resample("YS").mean()
monthly.to_csv("pandas_monthly.csv")
annual.to_csv("pandas_annual.csv")
