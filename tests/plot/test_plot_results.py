"""Tests of plot-results: the band-quality figures by hand, every subcommand
on small files in the toolkit's formats, and refused bad input."""

import math
import os
import struct
import subprocess
import sys
import tempfile
import unittest

LAUNCHER = os.environ["PLOT_RESULTS"]
sys.path.insert(0, os.path.dirname(LAUNCHER))
import plot_results  # noqa: E402


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    assert head[:8] == b"\x89PNG\r\n\x1a\n", path
    return struct.unpack(">II", head[16:24])


def write(folder, name, text):
    with open(os.path.join(folder, name), "w") as f:
        f.write(text)


def ensemble_files(folder):
    write(folder, "run.txt", "2 runs\nobs sets objs series.csv stats.csv bounds.csv bal moscem.txt table "
                             "basin river bo ro s1 s2 which\n")
    write(folder, "moscem.txt", "2\n1\n4\n1\n2\ncolumns\n1,1,\n")
    write(folder, "series.csv",
          "Timestep,Observed Station1,Calibrated Station1,Observed Station2,Calibrated Station2,\n"
          "    1,    5.00000E+00,    6.00000E+00,            NAN,    1.00000E+00,\n"
          "    2,    1.00000E+01,    9.00000E+00,    3.00000E+00,    2.00000E+00,\n"
          "    3,    2.00000E+01,    1.80000E+01,    4.00000E+00,    3.00000E+00,\n"
          "    4,    3.00000E+01,    2.90000E+01,    1.00000E+00,    4.00000E+00,\n")
    write(folder, "bounds.csv",
          "Timestep,LowerBound Station1,LowerBound Station2,UppBound Station1,UppBound Station2,"
          "Average Station1,Average Station2,\n"
          "    1,    0.00000E+00,    0.00000E+00,    1.00000E+01,    2.00000E+00,    5.00000E+00,    1.00000E+00,\n"
          "    2,    1.00000E+01,    1.00000E+00,    1.50000E+01,    3.00000E+00,    1.20000E+01,    2.00000E+00,\n"
          "    3,    1.00000E+01,    2.00000E+00,    2.00000E+01,    5.00000E+00,    1.50000E+01,    3.00000E+00,\n"
          "    4,    0.00000E+00,    3.00000E+00,    2.50000E+01,    5.00000E+00,    2.00000E+01,    4.00000E+00,\n")
    write(folder, "stats.csv", "Flux 1\nRMS,STD,NSE,NSC,BIAS\n1.0000,0.5000,0.9000,1.0000,2.0000\n\n"
                               "Flux 2\nRMS,STD,NSE,NSC,BIAS\n0.0000,0.0000,0.0000,0.0000,0.0000\n\n")


def sensitivity_files(folder):
    write(folder, "parameter.in", "No,Name,Default,Lower,Upper,OptIdx,Description\n" +
          "".join("%d,P%d,1,0.500,2.000,0,about P%d\n" % (p, p, p) for p in range(1, 21)))
    write(folder, "SArunOutput.txt", "whichParam, max_mod, mean_mod, stddev \n" +
          "".join("%d,%.3f,%.3f,%.3f\n" % (p, p / 100, p / 200, p / 300) for p in range(1, 21)))
    write(folder, "SensAnalysis.txt", "whichParam, OAT Parameter Value, max_mod, mean_mod, stddev \n" +
          "".join("%d,%.4f,%.3f,%.3f,%.3f\n" % (r % 20 + 1, 0.5 + r // 20 * 0.07, 10 + r % 7, 5, 1)
                  for r in range(400)))


def full_precision_sensitivity_files(folder):
    write(folder, "sensitivity.csv", "parameter,name,max_flow,mean_flow,stddev_flow\n" +
          "".join("%d,N%d,%.9g,%.9g,NaN\n" % (p, p, p * 1e-7, 1e-9 * (21 - p)) for p in range(1, 21)))
    write(folder, "oat_runs.csv", "run,parameter,multiplier,max_flow,mean_flow,stddev_flow\n" +
          "".join("%d,N%d,%.9g,%.9g,5,1\n" % (r + 1, r // 20 + 1, 0.5 + r % 20 * 0.07, 10 + r % 7)
                  for r in range(400)))


MORRIS = ("output,parameter,mu,mu_star,sigma,mu_star_conf,r\n"
          "max_flow,CN2,-4.5,4.5,0,0,20\n"
          "max_flow,ALPHA,1,2,3,0.5,19\n"
          "max_flow,GW,NaN,NaN,NaN,NaN,0\n"
          "nse,CN2,0.1,0.2,0.01,0.001,20\n")


def stats_files(folder):
    write(folder, "statsparam.txt", "2001\n1\n1\n2002\n730\n2\nmax\ndaily.csv\nmonthly.csv\nannual.csv\n")
    write(folder, "monthly.csv", "Date,A,B\n" + "".join(
        "%d,%g,%s\n" % (y * 100 + m, y - 2000 + m, "NaN" if m == 3 else "1.5") for y in (2001, 2002) for m in range(1, 13)))
    write(folder, "annual.csv", "Date,A,B\n2001,13,1.5\n2002,14,1.5\n")


class BandQuality(unittest.TestCase):
    def test_inside_on_the_bounds_outside_missing_and_below_the_threshold(self):
        observed = [5, 10, 20, 30, math.nan, 1]
        lower = [0, 10, 10, 0, 0, 0]
        upper = [10, 15, 20, 25, 10, 10]
        p, r, n = plot_results.band_quality(observed, lower, upper, 2)
        self.assertEqual(n, 4)
        self.assertEqual(p, 0.75)
        spread = math.sqrt(((5 - 16.25) ** 2 + (10 - 16.25) ** 2 + (20 - 16.25) ** 2 + (30 - 16.25) ** 2) / 3)
        self.assertAlmostEqual(r, 12.5 / spread, places=12)
        self.assertEqual(plot_results.figure_text(r), "1.1275")

    def test_undefined_figures(self):
        p, r, n = plot_results.band_quality([5], [0], [10], 0)
        self.assertEqual((p, n), (1.0, 1))
        self.assertTrue(math.isnan(r))
        p, r, n = plot_results.band_quality([0, 0], [0, 0], [1, 1], 0)
        self.assertEqual(n, 0)
        self.assertTrue(math.isnan(p) and math.isnan(r))
        self.assertEqual(plot_results.figure_text(r), "NaN")


class Commands(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.dir = self.folder.name

    def tearDown(self):
        self.folder.cleanup()

    def run_plot(self, *args):
        return subprocess.run([LAUNCHER, *args], cwd=self.dir, capture_output=True, text=True)

    def test_band(self):
        ensemble_files(self.dir)
        result = self.run_plot("band", "run.txt", "--log")
        self.assertEqual(result.returncode, 0, result.stderr)
        for flux in (1, 2):
            self.assertEqual(png_size(os.path.join(self.dir, "band_flux%d.png" % flux)), (1600, 900))
        with open(os.path.join(self.dir, "band_quality.csv")) as f:
            # Flux 1: the hand-made band above; flux 2: 3 and 4 lie above 2, inside, the missing one is left out.
            self.assertEqual(f.read(), "Flux,PFactor,RFactor,Observed\n1,0.7500,1.1275,4\n2,1.0000,3.5355,2\n")

    def test_band_from_the_tidy_files(self):
        # A percentile band narrower than the min/max one: flux 1's observations 10 and 20 fall outside.
        ensemble_files(self.dir)
        notes = "# ensemble-runner 2.0.0: x\n# units: m3/s\n# start_date: 2000-02-28\n# band: percentiles 5,95 of the runs\n"
        write(self.dir, "metrics.csv", notes + "flux,station\n")
        write(self.dir, "band.csv", notes + "step,date,flux,lower,median,upper\n" + "".join(
            "%d,,%d,%s,0,%s\n" % (t, j, lo, up)
            for t, j, lo, up in ((1, 1, 4, 6), (2, 1, 11, 12), (3, 1, 12, 19), (4, 1, 25, 35),
                                 (1, 2, 0, 2), (2, 2, 1, 3), (3, 2, 2, 5), (4, 2, 3, 5))))
        result = self.run_plot("band", "run.txt")
        self.assertEqual(result.returncode, 0, result.stderr)
        for name in ("band_flux1.png", "fit_flux1.png", "fit_flux2.png"):
            self.assertEqual(png_size(os.path.join(self.dir, name)), (1600, 900))
        with open(os.path.join(self.dir, "band_quality.csv")) as f:
            self.assertEqual(f.read(), "Flux,PFactor,RFactor,Observed\n1,0.5000,0.4510,4\n2,1.0000,3.5355,2\n")
        self.assertEqual(plot_results.band_label({"band": "percentiles 2.5,97.5 of the runs"}),
                         "95 % band (percentiles 2.5 and 97.5)")
        self.assertEqual(plot_results.band_label({"band": "min/max of the runs"}), "ensemble band (lowest to highest run)")
        days, label = plot_results.step_axis([1, 2, 3], {"start_date": "2000-02-28"}, "metrics.csv")
        self.assertEqual((label, [d.isoformat() for d in days]), ("date", ["2000-02-28", "2000-02-29", "2000-03-01"]))
        self.assertEqual(plot_results.flow_label({"units": "m3/s"}), "flow (m3/s)")
        self.remove_pictures()
        write(self.dir, "band.csv", notes + "step,date,flux,lower,median,upper\n9,,1,1,2,3\n")
        self.assert_refused(["band", "run.txt"], "band.csv:6: expected a time step from 1 to 4, found '9'")

    def test_sensitivity(self):
        sensitivity_files(self.dir)
        result = self.run_plot("sensitivity")
        self.assertEqual(result.returncode, 0, result.stderr)
        for name in ("sensitivity_ranking.png", "sensitivity_runs.png"):
            self.assertEqual(png_size(os.path.join(self.dir, name)), (1600, 1200))

    def test_sensitivity_at_full_precision(self):
        # Beside the three-decimal files (all ties at 0.000 here) the full-precision ones are read.
        sensitivity_files(self.dir)
        full_precision_sensitivity_files(self.dir)
        result = self.run_plot("sensitivity")
        self.assertEqual(result.returncode, 0, result.stderr)
        os.chdir(self.dir)
        try:
            summary, runs, names = plot_results.read_full_precision_sensitivity()
        finally:
            os.chdir(os.path.dirname(os.path.abspath(__file__)))
        self.assertEqual(names[:2], ["N1", "N2"])
        self.assertEqual(summary[2][1:3], [3e-7, 1.8e-8])
        self.assertTrue(math.isnan(summary[2][3]))
        self.assertEqual(runs[21][:2], [2, 0.57])
        self.remove_pictures()
        write(self.dir, "oat_runs.csv", "run,parameter,multiplier,max_flow,mean_flow,stddev_flow\n1,XX,1,2,3,4\n")
        self.assert_refused(["sensitivity"], "oat_runs.csv:3: expected 400 rows, found 1")

    def test_morris(self):
        write(self.dir, "morris.csv", MORRIS)
        result = self.run_plot("morris")
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(result.stdout, "wrote morris_max_flow.png\nwrote morris_nse.png\n")
        self.assertEqual(png_size(os.path.join(self.dir, "morris_nse.png")), (1600, 900))
        # The plane names its points and its three ratio lines; a parameter without effects is left out.
        rows = plot_results.read_morris(os.path.join(self.dir, "morris.csv"))["max_flow"]
        fig, (plane, bars) = plot_results.plt.subplots(1, 2)
        plot_results.draw_morris_plane(plane, "max_flow", rows)
        self.assertEqual(sorted(t.get_text() for t in plane.texts),
                         ["ALPHA", "CN2", "σ/μ* = 0.1", "σ/μ* = 0.5", "σ/μ* = 1"])
        plot_results.draw_morris_bars(bars, "max_flow", rows)
        self.assertEqual([t.get_text() for t in bars.get_yticklabels()], ["GW (no effects)", "ALPHA", "CN2"])
        plot_results.plt.close(fig)
        self.remove_pictures()
        write(self.dir, "morris.csv", MORRIS.replace("0.5,19", "0.5,many"))
        self.assert_refused(["morris"], "morris.csv:3: expected the number of effects, found 'many'")
        write(self.dir, "morris.csv", "output,parameter,mu,mu_star,sigma,mu_star_conf,r\n")
        self.assert_refused(["morris"], "morris.csv: nothing to draw (the file holds no rows)")

    def test_stats_and_svg(self):
        stats_files(self.dir)
        result = self.run_plot("stats", "--columns", "2")
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(png_size(os.path.join(self.dir, "stats_column2.png")), (1600, 900))
        self.assertFalse(os.path.exists(os.path.join(self.dir, "stats_column1.png")))
        result = self.run_plot("stats", "--format", "svg")
        self.assertEqual(result.returncode, 0, result.stderr)
        with open(os.path.join(self.dir, "stats_column1.svg")) as f:
            self.assertIn("<svg", f.read(2000))

    def remove_pictures(self):
        for name in os.listdir(self.dir):
            if name.endswith(".png"):
                os.remove(os.path.join(self.dir, name))

    def assert_refused(self, args, message):
        result = self.run_plot(*args)
        self.assertEqual(result.returncode, 1)
        self.assertEqual(result.stderr, message + "\n")
        self.assertEqual([n for n in os.listdir(self.dir) if n.endswith((".png", ".part"))], [])

    def test_bad_input(self):
        ensemble_files(self.dir)
        os.remove(os.path.join(self.dir, "stats.csv"))
        self.assert_refused(["band", "run.txt"], "stats.csv: cannot be opened")
        ensemble_files(self.dir)
        write(self.dir, "bounds.csv", "Time,Lower\n")
        self.assert_refused(["band", "run.txt"],
                            "bounds.csv:1: expected the header the toolkit writes (Timestep, then the station columns)")
        ensemble_files(self.dir)
        write(self.dir, "series.csv", open(os.path.join(self.dir, "series.csv")).read().replace("9.00000E+00", "x"))
        self.assert_refused(["band", "run.txt"], "series.csv:3: expected a number, found 'x'")
        sensitivity_files(self.dir)
        write(self.dir, "SArunOutput.txt", "whichParam, max_mod, mean_mod, stddev \n1,0.1,0.1\n")
        self.assert_refused(["sensitivity"], "SArunOutput.txt:2: expected 4 fields, found 3")
        stats_files(self.dir)
        self.assert_refused(["stats", "--columns", "3"], "monthly.csv:1: has no value column 3")

    def test_words_where_labels_and_parameter_numbers_belong(self):
        stats_files(self.dir)
        for label in ("nan", "inf", "1e400", "200101.5"):
            write(self.dir, "annual.csv", "Date,A,B\n2001,13,1.5\n%s,14,1.5\n" % label)
            self.assert_refused(["stats"], "annual.csv:3: expected a yyyymm or yyyy label, found '%s'" % label)
        stats_files(self.dir)
        sensitivity_files(self.dir)
        text = open(os.path.join(self.dir, "SArunOutput.txt")).read()
        write(self.dir, "SArunOutput.txt", text.replace("\n7,", "\nnan,"))
        self.assert_refused(["sensitivity"], "SArunOutput.txt:8: expected a parameter number from 1 to 20, found 'nan'")
        sensitivity_files(self.dir)
        text = open(os.path.join(self.dir, "SensAnalysis.txt")).read()
        # A NaN among the runs: the ranking picture would be drawn first; it is not left behind.
        write(self.dir, "SensAnalysis.txt", text.replace("\n3,0.5000,12.000,", "\n3,0.5000,NaN,", 1))
        result = self.run_plot("sensitivity")
        self.assertEqual(result.returncode, 1)
        self.assertIn("SensAnalysis.txt:4: expected a number, found 'NaN'", result.stderr)
        self.assertEqual([n for n in os.listdir(self.dir) if n.endswith((".png", ".part"))], [])

    def test_latin1_names_a_header_only_file_and_usage_errors(self):
        stats_files(self.dir)
        with open(os.path.join(self.dir, "monthly.csv"), "rb") as f:
            data = f.read()
        with open(os.path.join(self.dir, "monthly.csv"), "wb") as f:
            f.write(data.replace(b"Date,A,B", b"Date,Bras\xedlia,B"))
        result = self.run_plot("stats")
        self.assertEqual(result.returncode, 0, result.stderr)
        for name in os.listdir(self.dir):
            if name.endswith(".png"):
                os.remove(os.path.join(self.dir, name))
        write(self.dir, "monthly.csv", "Date,A,B\n")
        self.assert_refused(["stats"], "monthly.csv: nothing to draw (the file holds no rows)")
        result = self.run_plot("nosuchcommand")
        self.assertEqual(result.returncode, 1)
        self.assertEqual(self.run_plot("band").returncode, 1)
        version = self.run_plot("--version")
        self.assertEqual((version.returncode, version.stdout.startswith("plot-results ")), (0, True))

    def test_runs(self):
        write(self.dir, "runs.csv", "run,set_or_row,worker,attempts,status,seconds,started_utc\n" + "".join(
            "%d,%d,main,1,%s,%.3f,2026-01-01T00:00:00Z\n" % (k, k, "failed" if k == 7 else "ok", 0.1 + k % 5 * 0.01)
            for k in range(1, 41)))
        result = self.run_plot("runs")
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(png_size(os.path.join(self.dir, "runs.png")), (1600, 900))
        os.remove(os.path.join(self.dir, "runs.png"))
        write(self.dir, "runs.csv", "run,set_or_row,worker,attempts,status,seconds,started_utc\n1,1,main,1,late,0.1,x\n")
        self.assert_refused(["runs"], "runs.csv:2: expected the status ok or failed, found 'late'")

    @unittest.skipUnless(os.path.exists("/dev/full"), "no /dev/full")
    def test_a_full_disk_names_the_file_and_leaves_nothing_behind(self):
        stats_files(self.dir)
        os.symlink("/dev/full", os.path.join(self.dir, "stats_column2.png.part"))
        result = self.run_plot("stats")
        self.assertEqual(result.returncode, 1)
        self.assertEqual(result.stderr, "stats_column2.png: cannot be written (No space left on device)\n")
        self.assertEqual([n for n in os.listdir(self.dir) if n.endswith((".png", ".part"))], [])


if __name__ == "__main__":
    unittest.main()
