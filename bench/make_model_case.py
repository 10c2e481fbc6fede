#!/usr/bin/env python3
"""Writes a benchmark working directory for the model-driving programs.

    make_model_case.py DIR SUBBASINS STEPS RUNS

DIR gets the source parameter files of SUBBASINS subbasins, a prepared
"streamflow.source" of STEPS rows with one column per subbasin (which the
copy-only benchmark model turns into "streamflow.txt"), the settings of 5
compared stations, and for ensemble-runner an observed series, RUNS parameter
sets and objective values and a run-control file "run.txt".
"""

import os
import random
import sys


def main():
    out, nsub, steps, runs = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])
    os.makedirs(out, exist_ok=True)
    rng = random.Random(5)

    def write(name, text):
        with open(os.path.join(out, name), "w") as f:
            f.write(text)

    basin = ["Basinid,Soilwhc,Soildepth,Texture,Ks,Area,Interflowlag,Hslope,Baseflowlag,Rcnumber,"
             "Maxcover,Basinloss,Pancoeff,Topsoil,Aridity"]
    river = ["Basinid,Area,Uparea,Rivslope,Rivlength,Downid,Rivmanning,Rivloss,Riverploss,Hasdam,"
             "Hasrating,Hasflowdata,Celerity,Diffusion,Rivwidth,Flowref,Runtype"]
    for i in range(1, nsub + 1):
        basin.append("%d,%.1f,%.1f,%d,%.3f,%.1f,%.1f,%.4f,%.1f,%.1f,%.2f,%.3f,%.2f,%.2f,%d" % (
            i, rng.uniform(100, 250), rng.uniform(80, 200), rng.randint(1, 3), rng.uniform(0.2, 2),
            rng.uniform(50, 400), rng.uniform(2, 8), rng.uniform(0.01, 0.15), rng.uniform(20, 60),
            rng.uniform(55, 85), rng.uniform(0.01, 0.1), rng.uniform(0.01, 0.08), rng.uniform(0.7, 0.9),
            rng.uniform(0.2, 0.5), 2))
        river.append("%d,%.1f,%.1f,%.4f,%.1f,%d,%.3f,%.1f,%.1f,0,0,0,%.1f,%.1f,%.1f,%.1f,1" % (
            i, rng.uniform(50, 400), rng.uniform(50, 4000), rng.uniform(0.0005, 0.005),
            rng.uniform(10, 50), i + 1 if i < nsub else 0, rng.uniform(0.03, 0.05), 0.0, 0.1,
            rng.uniform(0.8, 2.0), rng.uniform(500, 3000), rng.uniform(10, 60), rng.uniform(5, 50)))
    write("basin_original.txt", "\n".join(basin) + "\n")
    write("river_original.txt", "\n".join(river) + "\n")
    write("whichModel.txt", "Model Index\n1\n3\n")
    write("balparam.txt", "benchmark\n%d\n20010101\n24\n%d\n" % (steps, nsub))
    step = max(1, (nsub - 1) // 4)
    write("moscem_param.txt", "5\n1\n%d\n1\n0\ncolumns\n1,%d,%d,%d,%d,\n" % ((steps,) + (step,) * 4))
    table = ["No,Name,Default,Lower,Upper,OptIdx,Description"]
    table += ["%d,P%d,1,0.5,1.5,%d,benchmark" % (m, m, 1 if m in (1, 4, 7, 8, 19) else 0) for m in range(1, 21)]
    write("parameter.in", "\n".join(table) + "\n")
    write("range.txt", "Lower,Upper\n" + "".join("0.0001,100000\n" for _ in range(20)))
    rows = ["Day " + " ".join("Q%d" % i for i in range(1, nsub + 1))]
    for t in range(1, steps + 1):
        rows.append("%d, " % t + " ".join("%.3f," % rng.uniform(0, 500) for _ in range(nsub)))
    write("streamflow.source", "\n".join(rows) + "\n")
    write("observed.csv", "Day,S1,S2,S3,S4,S5\n" + "".join(
        "%d,%s\n" % (t, "".join("%.3f," % rng.uniform(0, 500) for _ in range(5))) for t in range(1, steps + 1)))
    write("sets.csv", "No,multipliers\n" + "".join(
        "%d,%s\n" % (k, "".join("%.4f," % rng.uniform(0.8, 1.2) for _ in range(20))) for k in range(1, runs + 1)))
    write("objectives.csv", "No,objectives\n" + "".join(
        "%d,%s\n" % (k, "".join("%.4f," % rng.uniform(0, 9) for _ in range(5))) for k in range(1, runs + 1)))
    write("run.txt", "%d runs\nobserved.csv sets.csv objectives.csv series.csv stats.csv bounds.csv\n"
          "balparam.txt moscem_param.txt parameter.in basin.txt river.txt basin_original.txt\n"
          "river_original.txt spare1 spare2 whichModel.txt\n" % runs)


if __name__ == "__main__":
    main()
