#!/usr/bin/env python3
"""Generates the bundled example working directory examples/demo-basin/.

Run once after building, with the path of the built stand-in model library:

    python3 examples/make_demo_basin.py build/bin/fluvex.dll

It writes a branching basin of 8 subbasins, three years of daily rainfall
and potential evaporation (a seeded weather generator, so the output is the
same every time), the model's parameter and list files, and the inputs of
the three programs. The observed flows are the stand-in model's flows for a
known parameter set, with noise and a few gaps. Only the standard library
is used; the model is called through ctypes.
"""

import ctypes
import datetime
import math
import os
import random
import shutil
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "demo-basin")
DAYS = 1095  # 2001-01-01 to 2003-12-31
START = datetime.date(2001, 1, 1)
STATIONS = [3, 6, 8]  # subbasins whose outflow is observed

# Basinid, Soilwhc, Soildepth, Texture, Ks, Area, Interflowlag, Hslope, Baseflowlag,
# Rcnumber, Maxcover, Basinloss, Pancoeff, Topsoil, Aridity
BASINS = [
    (1, 180.0, 150.0, 2, 0.850, 212.0, 4.0, 0.0850, 35.0, 68.0, 0.03, 0.040, 0.80, 0.30, 2),
    (2, 150.0, 120.0, 2, 1.200, 158.0, 3.0, 0.1200, 28.0, 72.0, 0.05, 0.030, 0.78, 0.35, 2),
    (3, 200.0, 180.0, 3, 0.450, 96.0, 5.0, 0.0420, 45.0, 64.0, 0.08, 0.050, 0.82, 0.25, 2),
    (4, 170.0, 140.0, 2, 0.950, 275.0, 4.0, 0.0960, 32.0, 70.0, 0.02, 0.020, 0.80, 0.30, 2),
    (5, 190.0, 160.0, 1, 1.800, 184.0, 3.0, 0.0640, 40.0, 61.0, 0.04, 0.060, 0.79, 0.40, 1),
    (6, 210.0, 190.0, 3, 0.380, 131.0, 6.0, 0.0310, 55.0, 75.0, 0.10, 0.040, 0.83, 0.20, 2),
    (7, 160.0, 110.0, 2, 1.100, 247.0, 3.0, 0.1450, 25.0, 74.0, 0.03, 0.030, 0.77, 0.35, 2),
    (8, 220.0, 200.0, 3, 0.300, 118.0, 7.0, 0.0250, 60.0, 66.0, 0.06, 0.050, 0.85, 0.25, 2),
]

# Basinid, Area, Uparea, Rivslope, Rivlength, Downid, Rivmanning, Rivloss, Riverploss,
# Hasdam, Hasrating, Hasflowdata, Celerity, Diffusion, Rivwidth, Flowref, Runtype
REACHES = [
    (1, 212.0, 212.0, 0.0042, 28.5, 3, 0.045, 0.0, 0.1, 0, 0, 0, 1.2, 800.0, 12.0, 8.0, 1),
    (2, 158.0, 158.0, 0.0051, 22.0, 3, 0.040, 0.0, 0.1, 0, 0, 0, 1.4, 650.0, 10.0, 6.0, 1),
    (3, 96.0, 466.0, 0.0023, 31.0, 6, 0.038, 0.0, 0.1, 0, 1, 1, 1.5, 1500.0, 24.0, 18.0, 1),
    (4, 275.0, 275.0, 0.0036, 35.5, 5, 0.042, 0.0, 0.1, 0, 0, 0, 1.1, 900.0, 14.0, 10.0, 1),
    (5, 184.0, 459.0, 0.0019, 26.0, 6, 0.036, 0.1, 0.1, 0, 0, 0, 1.3, 1400.0, 22.0, 16.0, 1),
    (6, 131.0, 1056.0, 0.0012, 42.0, 8, 0.034, 0.0, 0.2, 0, 1, 1, 1.7, 2600.0, 38.0, 35.0, 1),
    (7, 247.0, 247.0, 0.0058, 24.5, 8, 0.047, 0.0, 0.1, 0, 0, 0, 1.0, 700.0, 11.0, 9.0, 1),
    (8, 118.0, 1421.0, 0.0008, 48.0, 0, 0.032, 0.0, 0.2, 0, 1, 1, 1.9, 3400.0, 52.0, 48.0, 1),
]

BASIN_HEADER = ("Basinid,Soilwhc,Soildepth, Texture, Ks, Area, Interflowlag, Hslope, Baseflowlag, "
                "Rcnumber, Maxcover, Basinloss, Pancoeff, Topsoil, Aridity")
RIVER_HEADER = ("Basinid,Area,Uparea,Rivslope,Rivlength,Downid,Rivmanning,Rivloss,Riverploss,Hasdam,"
                "Hasrating,Hasflowdata,Celerity,Diffusion,Rivwidth,Flowref,Runtype")
BASIN_FORMAT = "%d,%.1f,%.1f,%d,%.3f,%.1f,%.1f,%.4f,%.1f,%.1f,%.2f,%.3f,%.2f,%.2f,%d"
RIVER_FORMAT = "%d,%.1f,%.1f,%.4f,%.1f,%d,%.3f,%.1f,%.1f,%d,%d,%d,%.1f,%.1f,%.1f,%.1f,%d"

NAMES = ["SoilWhc", "Depth", "Texture", "Ks", "Interflow", "HSlope", "Baseflow", "CurveNum",
         "MaxCover", "BasinLoss", "PanCoeff", "TopSoil", "RainCalc", "RivRough", "RivSlope",
         "RivWidth", "RivLoss", "RivFPLoss", "Celerity", "Diffusion"]
OPTIMISED = {1, 4, 7, 8, 19}  # SoilWhc, Ks, Baseflow, CurveNum, Celerity
# Which column of the basin (b) or river (r) row each parameter scales.
FIELDS = [("b", 1), ("b", 2), ("b", 3), ("b", 4), ("b", 6), ("b", 7), ("b", 8), ("b", 9),
          ("b", 10), ("b", 11), ("b", 12), ("b", 13), ("b", 14), ("r", 6), ("r", 3), ("r", 14),
          ("r", 7), ("r", 8), ("r", 12), ("r", 13)]
# The "true" multipliers that made the observed flows.
TRUE_SET = {1: 1.10, 4: 0.85, 7: 1.20, 8: 0.95, 19: 1.05}
# Allowed absolute range of every parameter's field, for the sensitivity design.
RANGES = [(100, 300), (60, 250), (1, 3), (0.1, 3.0), (1, 10), (0.01, 0.2), (10, 90), (45, 90),
          (0.0, 0.2), (0.0, 0.1), (0.6, 1.0), (0.1, 0.6), (1, 2), (0.02, 0.07), (0.0005, 0.008),
          (5, 80), (0.0, 0.2), (0.0, 0.3), (0.5, 3.0), (300, 5000)]


def write(name, text):
    with open(os.path.join(OUT, name), "w", newline="\n") as f:
        f.write(text)


def weather(rng):
    """Daily rainfall and potential evaporation (mm) per subbasin."""
    rain, pet = [], []
    wet = False
    for d in range(DAYS):
        season = math.cos(2 * math.pi * (d % 365 - 15) / 365.0)  # 1 in January
        p_wet = 0.35 + 0.15 * season
        wet = rng.random() < (p_wet + 0.25 if wet else p_wet - 0.1)
        storm = rng.gammavariate(0.8, 9.0 + 4.0 * season) if wet else 0.0
        rain.append([max(0.0, storm * rng.uniform(0.6, 1.4)) if wet and rng.random() < 0.9 else 0.0
                     for _ in BASINS])
        base = 2.6 - 1.9 * season
        pet.append([max(0.2, base + rng.gauss(0, 0.3)) for _ in BASINS])
    return rain, pet


def daily_table(header, rows):
    lines = [header]
    for d, row in enumerate(rows):
        lines.append("%d," % (d + 1) + ",".join("%.2f" % v for v in row))
    return "\n".join(lines) + "\n"


def scaled_rows(multipliers):
    basins = [list(b) for b in BASINS]
    reaches = [list(r) for r in REACHES]
    for m, value in multipliers.items():
        kind, col = FIELDS[m - 1]
        rows = basins if kind == "b" else reaches
        for row in rows:
            if isinstance(row[col], int):
                row[col] = int(row[col] * value + 0.5)
            else:
                row[col] = row[col] * value
    return basins, reaches


def model_flows(library, multipliers):
    """Runs the stand-in model in a scratch copy of the example; returns flows per day and subbasin."""
    model = ctypes.CDLL(os.path.abspath(library))
    scratch = tempfile.mkdtemp()
    try:
        for name in os.listdir(OUT):
            shutil.copy(os.path.join(OUT, name), scratch)
        basins, reaches = scaled_rows(multipliers)
        with open(os.path.join(scratch, "basin.txt"), "w") as f:
            f.write(BASIN_HEADER + "\n" + "".join(BASIN_FORMAT % tuple(b) + "\n" for b in basins))
        with open(os.path.join(scratch, "river.txt"), "w") as f:
            f.write(RIVER_HEADER + "\n" + "".join(RIVER_FORMAT % tuple(r) + "\n" for r in reaches))
        status = ctypes.c_int(0)
        cwd = os.getcwd()
        os.chdir(scratch)
        try:
            model.ONELAYERBALANCE(b"balfiles.txt", 14, ctypes.byref(status))
            model.DIFFROUTE(b"routfiles.txt", 14, ctypes.byref(status))
        finally:
            os.chdir(cwd)
        if status.value != 0:
            raise SystemExit("the model failed")
        flows = []
        with open(os.path.join(scratch, "streamflow.txt")) as f:
            next(f)
            for line in f:
                flows.append([float(t.rstrip(",")) for t in line.split()[1:]])
        return flows
    finally:
        shutil.rmtree(scratch)


def main():
    if len(sys.argv) != 2:
        raise SystemExit("usage: make_demo_basin.py PATH/TO/fluvex.dll")
    rng = random.Random(20011)
    os.makedirs(OUT, exist_ok=True)
    rain, pet = weather(rng)
    n = len(BASINS)
    write("rainfall.txt", daily_table("Day,daily rainfall of every subbasin (mm)", rain))
    write("evaporation.txt", daily_table("Day,daily potential evaporation of every subbasin (mm)", pet))
    write("balparam.txt", "Demo basin: 8 subbasins, daily steps from 2001-01-01\n%d  number of days\n"
          "20010101  first day (yyyymmdd)\n24  hours per time step\n%d  number of subbasins\n"
          "0.5  initial soil store as a fraction of its capacity\n" % (DAYS, n))
    write("balfiles.txt", "balparam.txt\nbasin.txt\nrainfall.txt\nevaporation.txt\nrunoff.txt\n")
    write("routfiles.txt", "balparam.txt\nriver.txt\nrunoff.txt\nstreamflow.txt\n")
    write("whichModel.txt", "Model Index   Index description\n"
          "1 //water balance model:  1= 1D balance, 2= 2D balance\n"
          "1 //routing model:  1=diffusion, 2=Muskingham-Cunge, 3=lag \n")
    write("basin_original.txt", BASIN_HEADER + "\n" + "".join(BASIN_FORMAT % b + "\n" for b in BASINS))
    write("river_original.txt", RIVER_HEADER + "\n" + "".join(RIVER_FORMAT % r + "\n" for r in REACHES))
    offsets = [STATIONS[0]] + [b - a for a, b in zip(STATIONS, STATIONS[1:])]
    write("moscem_param.txt",
          "%d  number of fluxes (stations compared)\n1  spare setting\n%d  number of time steps\n"
          "1  objective function (1 RMS, 2 STD, 3 TRMS, 4 1-NSE, 5 -NSC, 6 BIAS)\n"
          "0  observations at or below this are not compared\n"
          "columns of the stations in streamflow.txt, each counted from the previous one:\n%s\n"
          % (len(STATIONS), DAYS, "".join("%d," % o for o in offsets)))
    rows = ["No,Name,Default,Lower,Upper,OptIdx,Description"]
    for i, name in enumerate(NAMES, 1):
        rows.append("%d,%s,1,0.5,1.5,%d,multiplier of %s" % (i, name, 1 if i in OPTIMISED else 0, name))
    write("parameter.in", "\n".join(rows) + "\n")
    write("range.txt", "Lower,Upper allowed value of every parameter\n" +
          "".join("%g,%g  %s\n" % (lo, hi, NAMES[i]) for i, (lo, hi) in enumerate(RANGES)))

    flows = model_flows(sys.argv[1], TRUE_SET)
    observed = ["Day," + ",".join("Station%d" % s for s in STATIONS)]
    daily = ["Date," + ",".join("Station%d" % s for s in STATIONS)]
    for d, row in enumerate(flows):
        values = []
        for s in STATIONS:
            v = row[s - 1] * math.exp(rng.gauss(0, 0.08))
            values.append(None if rng.random() < 0.02 else v)
        observed.append("%d," % (d + 1) + "".join("" if v is None else "%.3f" % v for v in values[:1]) +
                        "".join(",%s" % ("" if v is None else "%.3f" % v) for v in values[1:]) + ",")
        date = START + datetime.timedelta(days=d)
        daily.append(date.isoformat() + "".join(",%s" % ("NA" if v is None else "%.3f" % v) for v in values))
    write("observed.csv", "\n".join(observed) + "\n")
    write("daily_flows.csv", "\n".join(daily) + "\n")

    sets = ["No," + ",".join(NAMES) + ","]
    objectives = ["No," + ",".join("OF Station%d" % s for s in STATIONS) + ","]
    for k in range(1, 51):
        multipliers = [round(TRUE_SET.get(m, 1.0) * rng.uniform(0.85, 1.15), 4) if m in OPTIMISED else 1.0
                       for m in range(1, 21)]
        sets.append("%d," % k + "".join("%g," % v for v in multipliers))
        objectives.append("%d," % k + "".join("%.4f," % rng.uniform(1.0, 6.0) for _ in STATIONS))
    write("sets.csv", "\n".join(sets) + "\n")
    write("objectives.csv", "\n".join(objectives) + "\n")
    write("run_control.txt", "50   number of calibrated parameter sets to run\n"
          "observed.csv\nsets.csv\nobjectives.csv\nseries.csv\nstatistics.csv\nbounds.csv\n"
          "balparam.txt\nmoscem_param.txt\nparameter.in\nbasin.txt\nriver.txt\n"
          "basin_original.txt\nriver_original.txt\nspare1.txt\nspare2.txt\nwhichModel.txt\n")
    write("statsparam.txt", "2001\n1\n1\n2003\n%d\n%d\nMean\ndaily_flows.csv\nmonthly.csv\nannual.csv\n"
          % (DAYS, len(STATIONS)))


if __name__ == "__main__":
    main()
