#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets (fuzz/corpus/TARGET/) from the
bundled example and the formats the tests use. Run from anywhere; the output
is committed. Targets that take sizes from their first bytes get them here."""

import os

HERE = os.path.dirname(os.path.abspath(__file__))
EXAMPLE = os.path.join(HERE, "..", "examples", "demo-basin")


def example(name, lines=None):
    with open(os.path.join(EXAMPLE, name), "rb") as f:
        data = f.read()
    if lines is not None:
        data = b"".join(data.splitlines(keepends=True)[:lines])
    return data


def seed(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data if isinstance(data, bytes) else data.encode())


def main():
    seed("run_control", "example", example("run_control.txt"))
    seed("run_control", "spread", "3 runs\r\nobs sets objs\nseries stats bounds bal moscem\n"
         "table basin river bo ro s1 s2\nwhich\n")
    seed("calibration_settings", "example", example("moscem_param.txt"))
    seed("calibration_settings", "lines", "2\n0\n10\n4\n-1\nx\n1,\n4,\n")
    seed("subbasin_count", "example", example("balparam.txt"))
    seed("parameter_table", "example", example("parameter.in"))
    seed("parameter_table", "oat", "No,Name,Default,Lower,Upper,OptIdx,Description\n"
         "1,SoilWhc,1,0.667,1.364,0,SoilWHC is the soil water holding capacity (mm)\n"
         "3,Texture,1,0.5,1.5,0,Texture is the soil texture (1:2:3)\n")
    seed("source_files", "basin", b"\x08" + example("basin_original.txt"))
    seed("source_files", "river", b"\x08" + example("river_original.txt"))
    seed("source_files", "spaced", "\x01h\n1, 180.0 ,150.0,\t2 ; 0.5,212 4 0.085,35,68,0.03,0.04,0.8,0.3,2,\n")
    seed("model_choice", "example", example("whichModel.txt"))
    seed("observed_series", "example", b"\x0a\x03" + example("observed.csv", 12))
    seed("observed_series", "gaps", "\x03\x02Day,A,B\n1,,NaN,\n2,NA,4e1\n3,1.5,2,\n")
    seed("run_list", "sets", b"\x05\x14" + example("sets.csv", 6))
    seed("run_list", "objectives", b"\x05\x03" + example("objectives.csv", 6))
    seed("streamflow", "flows", b"\x04\x03\x03\x03\x02Day Flow1 Flow2\n1, 3.512, 0.000, 7.5, 1, 2, 3, 4, 5, 6,\n"
         b"2, NaN, Inf, Num, Sub, +Infinity, -Infinity, Uno, , 1e5,\n3, 1 2 3 4 5 6 7 8 9\n4 a b c d e f g h\n")
    seed("range", "example", example("range.txt"))
    seed("oat_rows", "rows", "whichParam, OAT Parameter Value\n" +
         "".join("%d,%.4f\n" % (r % 20 + 1, 0.5 + (r // 20) * 0.05) for r in range(400)))
    seed("stats_settings", "example", example("statsparam.txt"))
    seed("daily_series", "example", b"2001\n1\n1\n2001\n40\n3\nMean\nd\nm\na\n" + example("daily_flows.csv", 42))
    seed("daily_series", "median", "2000\n2\n28\n2000\n5\n2\nmedian\nd\nm\na\nDate,A,B\n"
         "x,1,2\nx,,3\nx,NA,4\nx,5,-\nx,1e3,7,\n")


if __name__ == "__main__":
    main()
