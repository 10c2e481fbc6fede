#!/usr/bin/env python3
"""plot-results: pictures of the toolkit's result files.

    plot-results band RUN_CONTROL_FILE [--log] [--format png|svg]
    plot-results sensitivity [--format png|svg]
    plot-results morris [--format png|svg]
    plot-results stats [--columns 1,3,5] [--format png|svg]
    plot-results runs [--format png|svg]

Run it in the working directory of the program whose results it draws. It
reads the result files as they stand and never changes them; it writes its
pictures (and band_quality.csv) next to them. Bad input gives one line
"FILE:LINE: what was expected" on standard error, exit status 1, and no
picture: every file of a command is written under a temporary name and
renamed only when all of them are complete.
"""

import argparse
import datetime
import math
import os
import sys

VERSION = "2.0.0"

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402

DPI = 100
WIDE = (16, 9)    # 1600 x 900 pixels
TALL = (16, 12)   # 1600 x 1200 pixels


class InputProblem(Exception):
    """A result file that is missing or not as the toolkit writes it."""

    def __init__(self, path, line, what):
        super().__init__("%s:%d: %s" % (path, line, what) if line else "%s: %s" % (path, what))


class OutputProblem(Exception):
    """A picture or table that cannot be written (a full disk, a folder that is not writable)."""

    def __init__(self, path, error):
        super().__init__("%s: cannot be written (%s)" % (path, error.strerror or error))


class NothingToDraw(Exception):
    """Result files without a row to draw."""

    def __init__(self, path):
        super().__init__("%s: nothing to draw (the file holds no rows)" % path)


def read_lines(path):
    """The lines of a text file, as UTF-8 or, failing that, Latin-1 (station names in either)."""
    try:
        with open(path, "rb") as f:
            data = f.read()
    except IsADirectoryError:
        raise InputProblem(path, 0, "is a directory")
    except OSError:
        raise InputProblem(path, 0, "cannot be opened")
    try:
        text = data.decode("utf-8")
    except UnicodeDecodeError:
        text = data.decode("latin-1")
    lines = [line.rstrip("\r") for line in text.split("\n")]
    if lines and lines[-1] == "":
        lines.pop()
    return lines


def quoted(text):
    text = text.strip()
    return "'%s'" % (text if len(text) <= 40 else text[:40] + "...")


def number(text, path, line, what):
    """A number; NaN only where the file may say "nan" (a missing value)."""
    try:
        return float(text)
    except ValueError:
        raise InputProblem(path, line, "expected %s, found %s" % (what, quoted(text)))


def finite(text, path, line, what):
    value = number(text, path, line, what)
    if not math.isfinite(value):
        raise InputProblem(path, line, "expected %s, found %s" % (what, quoted(text)))
    return value


def whole(text, path, line, what, low=None, high=None):
    """A whole number (a label, a parameter number) within the given limits."""
    value = finite(text, path, line, what)
    if value != int(value) or (low is not None and value < low) or (high is not None and value > high):
        raise InputProblem(path, line, "expected %s, found %s" % (what, quoted(text)))
    return int(value)


def leading_int(text, path, line, what):
    digits = text.strip().split()[0] if text.strip() else ""
    end = 0
    while end < len(digits) and (digits[end].isdigit() or (end == 0 and digits[end] in "+-")):
        end += 1
    try:
        return int(digits[:end])
    except ValueError:
        raise InputProblem(path, line, "expected %s" % what)


# ---------------------------------------------------------------- ensemble band

def read_run_control(path):
    lines = read_lines(path)
    if not lines:
        raise InputProblem(path, 1, "expected the number of runs")
    leading_int(lines[0], path, 1, "the number of runs")
    names = " ".join(lines[1:]).split()
    if len(names) < 16:
        raise InputProblem(path, 0, "expected 16 file names, found %d" % len(names))
    return {"series": names[3], "statistics": names[4], "bounds": names[5], "settings": names[7]}


def read_threshold(path):
    lines = read_lines(path)
    if len(lines) < 5:
        raise InputProblem(path, len(lines) + 1, "expected the observation threshold on line 5")
    return leading_int(lines[4], path, 5, "the observation threshold on line 5")


def read_table(path, blocks):
    """A series or bounds file: header 'Timestep,' then per block one column per flux.
    `blocks` are the header words of the blocks, in order (series files alternate them)."""
    lines = read_lines(path)
    if not lines:
        raise InputProblem(path, 1, "expected a header line")
    header = lines[0].split(",")
    if header[0] != "Timestep" or header[-1] != "" or (len(header) - 2) % len(blocks):
        raise InputProblem(path, 1, "expected the header the toolkit writes (Timestep, then the station columns)")
    columns = header[1:-1]
    nflux = len(columns) // len(blocks)
    rows = []
    for number_, line in enumerate(lines[1:], start=2):
        if not line:
            continue
        fields = line.split(",")
        if len(fields) != len(header):
            raise InputProblem(path, number_, "expected %d fields, found %d" % (len(header) - 1, len(fields) - 1))
        rows.append([whole(fields[0], path, number_, "a time step", 1)] +
                    [number(v, path, number_, "a number") for v in fields[1:-1]])
    return nflux, columns, rows


def read_statistics(path, nflux):
    lines = read_lines(path)
    stats = []
    for m in range(nflux):
        at = 4 * m
        if at + 2 >= len(lines) or lines[at] != "Flux %d" % (m + 1) or lines[at + 1] != "RMS,STD,NSE,NSC,BIAS":
            raise InputProblem(path, at + 1, "expected the block of flux %d" % (m + 1))
        values = lines[at + 2].split(",")
        if len(values) != 5:
            raise InputProblem(path, at + 3, "expected five statistics")
        rms, std, nse, nsc, bias = (number(v, path, at + 3, "a statistic") for v in values)
        stats.append({"RMS": rms, "NSE": nse, "BIAS": bias})
    return stats


def band_quality(observed, lower, upper, threshold):
    """p-factor, r-factor and the count n of the observed values above the threshold."""
    pairs = [(o, lo, up) for o, lo, up in zip(observed, lower, upper) if o > threshold]
    n = len(pairs)
    if n == 0:
        return math.nan, math.nan, 0
    inside = sum(1 for o, lo, up in pairs if lo <= o <= up)
    p_factor = inside / n
    if n < 2:
        return p_factor, math.nan, n
    mean = sum(o for o, _, _ in pairs) / n
    spread = math.sqrt(sum((o - mean) ** 2 for o, _, _ in pairs) / (n - 1))
    width = sum(up - lo for _, lo, up in pairs) / n
    r_factor = width / spread if spread > 0 else math.nan
    return p_factor, r_factor, n


def figure_text(value):
    return "NaN" if math.isnan(value) else "%.4f" % value


class Output:
    """What one command writes: each file under a temporary name first; all of
    them renamed into place only when every one is complete, so that a failure
    leaves no picture of a half-read input and no partial file."""

    def __init__(self, fmt="png"):
        self.fmt = fmt
        self.pending = []  # (temporary, final)

    def _temporary(self, path):
        temporary = path + ".part"
        self.pending.append((temporary, path))
        return temporary

    def picture(self, fig, name):
        path = "%s.%s" % (name, self.fmt)
        temporary = self._temporary(path)
        try:
            fig.savefig(temporary, dpi=DPI, format=self.fmt)
        except OSError as error:
            raise OutputProblem(path, error)
        finally:
            plt.close(fig)
        return path

    def text(self, path, content):
        temporary = self._temporary(path)
        try:
            with open(temporary, "w") as f:
                f.write(content)
        except OSError as error:
            raise OutputProblem(path, error)
        return path

    def commit(self):
        for temporary, path in self.pending:
            try:
                os.replace(temporary, path)
            except OSError as error:
                raise OutputProblem(path, error)
        self.pending = []

    def discard(self):
        for temporary, _ in self.pending:
            try:
                os.remove(temporary)
            except OSError:
                pass
        self.pending = []


def read_tidy(path):
    """A tidy file of ensemble-runner: its "# key: value" notes, its header and its rows of fields."""
    lines = read_lines(path)
    notes = {}
    at = 0
    while at < len(lines) and lines[at].startswith("#"):
        key, _, value = lines[at][1:].partition(":")
        notes[key.strip()] = value.strip()
        at += 1
    if at >= len(lines):
        raise InputProblem(path, at + 1, "expected the header line after the notes")
    rows = [(number_, line.split(",")) for number_, line in enumerate(lines[at + 1:], start=at + 2) if line]
    return notes, lines[at], rows


def read_band_file(path, nflux, nsteps):
    """band.csv: per flux the lower, median and upper percentile of every step."""
    notes, header, rows = read_tidy(path)
    if header != "step,date,flux,lower,median,upper":
        raise InputProblem(path, 1, "expected the header 'step,date,flux,lower,median,upper'")
    band = [[[math.nan] * nsteps for _ in range(3)] for _ in range(nflux)]
    for number_, fields in rows:
        if len(fields) != 6:
            raise InputProblem(path, number_, "expected 6 fields, found %d" % len(fields))
        step = whole(fields[0], path, number_, "a time step from 1 to %d" % nsteps, 1, nsteps)
        flux = whole(fields[2], path, number_, "a flux from 1 to %d" % nflux, 1, nflux)
        for k in range(3):
            band[flux - 1][k][step - 1] = number(fields[3 + k], path, number_, "a number or NaN")
    return notes, band


def band_label(notes):
    """"95 % band" for the percentiles 2.5 and 97.5; "ensemble band" for min/max."""
    words = notes.get("band", "").split()
    if len(words) >= 2 and words[0] == "percentiles":
        low, _, high = words[1].partition(",")
        try:
            return "%g %% band (percentiles %s and %s)" % (float(high) - float(low), low, high)
        except ValueError:
            pass
    return "ensemble band (lowest to highest run)"


def step_axis(steps, notes, path):
    """Dates from the tidy files' start date, else the step numbers."""
    start = notes.get("start_date")
    if not start:
        return steps, "time step"
    try:
        first = datetime.date.fromisoformat(start)
    except ValueError:
        raise InputProblem(path, 0, "expected the start date as YYYY-MM-DD, found %s" % quoted(start))
    return [first + datetime.timedelta(days=t - 1) for t in steps], "date"


def flow_label(notes):
    return "flow (%s)" % notes["units"] if notes.get("units") else "flow"


def draw_fit(fig_axes, j, observed, calibrated, lower, upper, threshold, notes, label):
    """Observed against calibrated with the 1:1 line, and the flow-duration curves."""
    scatter, duration = fig_axes
    pairs = [(o, c) for o, c in zip(observed, calibrated) if o > threshold and not math.isnan(c)]
    scatter.scatter([o for o, _ in pairs], [c for _, c in pairs], s=6, color="#3182bd", alpha=0.6)
    top = max([max(p) for p in pairs] + [0.0]) * 1.05 or 1.0
    scatter.plot([0, top], [0, top], color="black", linewidth=0.8, label="1:1")
    scatter.set_xlim(0, top)
    scatter.set_ylim(0, top)
    scatter.set_xlabel("observed " + flow_label(notes))
    scatter.set_ylabel("calibrated " + flow_label(notes))
    scatter.set_title("Station %d: observed against calibrated (scored steps)" % (j + 1))
    scatter.legend(loc="upper left")
    scatter.grid(alpha=0.3)

    def curve(values):
        kept = sorted((v for v in values if not math.isnan(v)), reverse=True)
        n = len(kept)
        return [100.0 * (i + 1) / (n + 1) for i in range(n)], kept

    x_low, y_low = curve(lower)
    x_up, y_up = curve(upper)
    if len(y_low) == len(y_up):
        duration.fill_between(x_low, y_low, y_up, color="#9ecae1", alpha=0.7, linewidth=0, label=label)
    for values, color, name in ((observed, "black", "observed"), (calibrated, "#e6550d", "calibrated")):
        x, y = curve(values)
        duration.plot(x, y, color=color, linewidth=1.0, label=name)
    if all(v > 0 for v in y_low + y_up if not math.isnan(v)) and y_low:
        duration.set_yscale("log")
    duration.set_xlabel("exceedance probability (%)")
    duration.set_ylabel(flow_label(notes))
    duration.set_title("Station %d: flow-duration curves" % (j + 1))
    duration.legend(loc="upper right")
    duration.grid(alpha=0.3)


def command_band(args, out):
    files = read_run_control(args.run_control)
    threshold = read_threshold(files["settings"])
    nflux, _, series = read_table(files["series"], ["Observed", "Calibrated"])
    if not series:
        raise NothingToDraw(files["series"])
    nflux_b, _, bounds = read_table(files["bounds"], ["LowerBound", "UppBound", "Average"])
    if nflux_b != nflux or len(bounds) != len(series):
        raise InputProblem(files["bounds"], 1, "expected %d stations and %d time steps, as in %s"
                           % (nflux, len(series), files["series"]))
    stats = read_statistics(files["statistics"], nflux)
    # The units, the dates and a percentile band come from the tidy files when they are there.
    notes = read_tidy("metrics.csv")[0] if os.path.exists("metrics.csv") else {}
    band = None
    if os.path.exists("band.csv"):
        notes, band = read_band_file("band.csv", nflux, len(series))
    steps = [row[0] for row in series]
    axis, axis_label = step_axis(steps, notes, "metrics.csv")
    label = band_label(notes) if band else "ensemble band (lowest to highest run)"
    quality = []
    pictures = []
    for j in range(nflux):
        observed = [row[1 + 2 * j] for row in series]
        calibrated = [row[2 + 2 * j] for row in series]
        if band:
            lower, _, upper = band[j]
        else:
            lower = [row[1 + j] for row in bounds]
            upper = [row[1 + nflux + j] for row in bounds]
        average = [row[1 + 2 * nflux + j] for row in bounds]
        p_factor, r_factor, n = band_quality(observed, lower, upper, threshold)
        quality.append((j + 1, p_factor, r_factor, n))
        fig, ax = plt.subplots(figsize=WIDE)
        ax.fill_between(axis, lower, upper, color="#9ecae1", alpha=0.7, label=label, linewidth=0)
        ax.plot(axis, average, color="#3182bd", linewidth=0.8, label="ensemble average")
        ax.plot(axis, calibrated, color="#e6550d", linewidth=0.8, label="calibrated (middle rank)")
        points = [(t, o) for t, o in zip(axis, observed) if not math.isnan(o)]
        ax.scatter([t for t, _ in points], [o for _, o in points], s=4, color="black", label="observed", zorder=3)
        if args.log:
            ax.set_yscale("log")
        ax.set_xlabel(axis_label)
        ax.set_ylabel(flow_label(notes))
        s = stats[j]
        ax.set_title("Station %d   RMS %.4f   NSE %.4f   BIAS %.4f %%   p-factor %s   r-factor %s"
                     % (j + 1, s["RMS"], s["NSE"], s["BIAS"], figure_text(p_factor), figure_text(r_factor)))
        ax.legend(loc="upper right")
        ax.grid(alpha=0.3)
        pictures.append(out.picture(fig, "band_flux%d" % (j + 1)))
        fig, axes = plt.subplots(1, 2, figsize=WIDE)
        draw_fit(axes, j, observed, calibrated, lower, upper, threshold, notes, label)
        fig.tight_layout()
        pictures.append(out.picture(fig, "fit_flux%d" % (j + 1)))
    table = "Flux,PFactor,RFactor,Observed\n" + "".join(
        "%d,%s,%s,%d\n" % (flux, figure_text(p), figure_text(r), n) for flux, p, r, n in quality)
    pictures.append(out.text("band_quality.csv", table))
    print("%-6s %8s %8s %8s" % ("Flux", "PFactor", "RFactor", "Observed"))
    for flux, p, r, n in quality:
        print("%-6d %8s %8s %8d" % (flux, figure_text(p), figure_text(r), n))
    return pictures


# ------------------------------------------------------------- sensitivity

def read_parameter_names(path):
    lines = read_lines(path)
    names = []
    for number_, line in enumerate(lines[1:21], start=2):
        fields = line.split(",")
        if len(fields) < 6:
            raise InputProblem(path, number_, "expected a parameter row No,Name,Default,Lower,Upper,OptIdx,...")
        names.append(fields[1])
    if len(names) != 20:
        raise InputProblem(path, len(lines) + 1, "expected 20 parameter rows, found %d" % len(names))
    return names


def read_named_table(path, header, count=None):
    """A result file of the exact header: (line number, fields) for each row of
    as many fields as the header names; blank lines are passed over."""
    lines = read_lines(path)
    if not lines or lines[0] != header:
        raise InputProblem(path, 1, "expected the header '%s'" % header.strip())
    width = len(header.split(","))
    rows = []
    for number_, line in enumerate(lines[1:], start=2):
        if not line:
            continue
        fields = line.split(",")
        if len(fields) != width:
            raise InputProblem(path, number_, "expected %d fields, found %d" % (width, len(fields)))
        rows.append((number_, fields))
    if count is not None and len(rows) != count:
        raise InputProblem(path, len(lines) + 1, "expected %d rows, found %d" % (count, len(rows)))
    return rows


def read_rows(path, header, count=None):
    """Rows of a parameter number (1 to 20) and finite figures."""
    return [[whole(fields[0], path, line, "a parameter number from 1 to 20", 1, 20)] +
            [finite(v, path, line, "a number") for v in fields[1:]]
            for line, fields in read_named_table(path, header, count)]


def read_full_precision_sensitivity():
    """sensitivity.csv and oat_runs.csv as (summary, runs, names) in the old files' layout."""
    summary, names = [], []
    for line, fields in read_named_table("sensitivity.csv", "parameter,name,max_flow,mean_flow,stddev_flow", 20):
        p = whole(fields[0], "sensitivity.csv", line, "a parameter number from 1 to 20", 1, 20)
        summary.append([p] + [number(v, "sensitivity.csv", line, "a number or NaN") for v in fields[2:]])
        names.append(fields[1])
    index = {name: p for p, name in enumerate(names, start=1)}
    runs = []
    for line, fields in read_named_table("oat_runs.csv", "run,parameter,multiplier,max_flow,mean_flow,stddev_flow", 400):
        if fields[1] not in index:
            raise InputProblem("oat_runs.csv", line, "expected a parameter of sensitivity.csv, found %s" %
                               quoted(fields[1]))
        runs.append([index[fields[1]]] + [number(v, "oat_runs.csv", line, "a number or NaN") for v in fields[2:]])
    return summary, runs, names


def command_sensitivity(args, out):
    # The full-precision files when present: the three-decimal ones turn small
    # sensitivities into ties at 0.000.
    if os.path.exists("sensitivity.csv") and os.path.exists("oat_runs.csv"):
        summary, runs, names = read_full_precision_sensitivity()
    else:
        names = read_parameter_names("parameter.in")
        summary = read_rows("SArunOutput.txt", "whichParam, max_mod, mean_mod, stddev ", 20)
        runs = read_rows("SensAnalysis.txt", "whichParam, OAT Parameter Value, max_mod, mean_mod, stddev ", 400)
    label = {row[0]: names[row[0] - 1] for row in summary}
    fig, axes = plt.subplots(1, 3, figsize=TALL)
    for ax, column, title in zip(axes, (1, 2, 3), ("maximum flow", "mean flow", "standard deviation")):
        ranked = sorted(summary, key=lambda row: -math.inf if math.isnan(row[column]) else row[column])
        ax.barh([label[int(row[0])] for row in ranked], [row[column] for row in ranked], color="#3182bd")
        ax.set_title("sensitivity of the %s" % title)
        ax.grid(axis="x", alpha=0.3)
    fig.tight_layout()
    pictures = [out.picture(fig, "sensitivity_ranking")]
    fig, axes = plt.subplots(4, 5, figsize=TALL, sharey=False)
    for p, ax in enumerate(axes.flat, start=1):
        mine = sorted((row for row in runs if row[0] == p), key=lambda row: row[1])
        ax.plot([r[1] for r in mine], [r[3] for r in mine], marker="o", markersize=3, label="mean")
        ax.plot([r[1] for r in mine], [r[2] for r in mine], marker="s", markersize=3, label="maximum")
        ax.set_title(names[p - 1], fontsize=9)
        ax.tick_params(labelsize=7)
    axes.flat[0].legend(fontsize=7)
    fig.supxlabel("multiplier")
    fig.supylabel("station flow")
    fig.tight_layout()
    pictures.append(out.picture(fig, "sensitivity_runs"))
    return pictures


# ------------------------------------------------------------------ morris

MORRIS_HEADER = "output,parameter,mu,mu_star,sigma,mu_star_conf,r"


def read_morris(path):
    """morris.csv: {output: [(parameter, mu, mu_star, sigma, conf, r)]} in the file's order."""
    outputs = {}
    for line, fields in read_named_table(path, MORRIS_HEADER):
        if not fields[0] or not fields[1]:
            raise InputProblem(path, line, "expected an output and a parameter name")
        figures = [number(v, path, line, "a number or NaN") for v in fields[2:6]]
        r = whole(fields[6], path, line, "the number of effects", 0)
        outputs.setdefault(fields[0], []).append((fields[1], *figures, r))
    if not outputs:
        raise NothingToDraw(path)
    return outputs


def draw_morris_plane(ax, output, rows):
    """mu* against sigma, each point named; the lines sigma/mu* = 0.1, 0.5 and 1."""
    drawn = [row for row in rows if not (math.isnan(row[2]) or math.isnan(row[3]))]
    ax.scatter([row[2] for row in drawn], [row[3] for row in drawn], s=18, color="#3182bd", zorder=3)
    for name, _, mu_star, sigma, _, _ in drawn:
        ax.annotate(name, (mu_star, sigma), xytext=(3, 3), textcoords="offset points", fontsize=7)
    top = max([row[2] for row in drawn] + [row[3] for row in drawn] + [0.0])
    top = top * 1.1 if top > 0 else 1.0
    for ratio in (0.1, 0.5, 1.0):
        ax.plot([0, top], [0, top * ratio], linestyle="--", linewidth=0.8, color="#636363")
        ax.annotate("σ/μ* = %g" % ratio, (top, top * ratio), xytext=(-4, 2), textcoords="offset points",
                    fontsize=7, ha="right", color="#636363")
    ax.set_xlim(0, top)
    ax.set_ylim(0, top)
    ax.set_xlabel("μ* (mean absolute elementary effect)")
    ax.set_ylabel("σ (standard deviation of the effects)")
    ax.set_title("%s: μ* and σ" % output)
    ax.grid(alpha=0.3)


def draw_morris_bars(ax, output, rows):
    """mu* per parameter, largest on top, with its 95 % confidence half-width."""
    ranked = sorted(rows, key=lambda row: -math.inf if math.isnan(row[2]) else row[2])
    values = [0.0 if math.isnan(row[2]) else row[2] for row in ranked]
    errors = [0.0 if math.isnan(row[4]) else row[4] for row in ranked]
    names = [row[0] if row[5] > 0 else "%s (no effects)" % row[0] for row in ranked]
    ax.barh(names, values, xerr=errors, color="#3182bd", ecolor="#252525", capsize=2)
    ax.set_xlabel("μ* with its 95 % confidence interval")
    ax.set_title("%s: parameters ranked by μ*" % output)
    ax.tick_params(axis="y", labelsize=8)
    ax.grid(axis="x", alpha=0.3)


def command_morris(args, out):
    outputs = read_morris("morris.csv")
    pictures = []
    for output, rows in outputs.items():
        fig, (plane, bars) = plt.subplots(1, 2, figsize=WIDE)
        draw_morris_plane(plane, output, rows)
        draw_morris_bars(bars, output, rows)
        fig.tight_layout()
        pictures.append(out.picture(fig, "morris_%s" % output))
    return pictures


# ------------------------------------------------------------------ stats

def read_stats_settings(path):
    lines = read_lines(path)
    if len(lines) < 10:
        raise InputProblem(path, len(lines) + 1, "expected ten settings lines")
    operation = lines[6].strip().lower()
    if operation not in ("mean", "median", "max", "sum", "min"):
        raise InputProblem(path, 7, "expected the operation Mean, Median, Max, Sum or Min")
    return {"operation": operation, "monthly": lines[8], "annual": lines[9]}


def read_labelled(path):
    lines = read_lines(path)
    if not lines:
        raise InputProblem(path, 1, "expected the header line")
    rows = []
    width = None
    for number_, line in enumerate(lines[1:], start=2):
        fields = line.split(",")
        if width is None:
            width = len(fields)
        if len(fields) != width or width < 2:
            raise InputProblem(path, number_, "expected a label and %d values" % ((width or 2) - 1))
        label = whole(fields[0], path, number_, "a yyyymm or yyyy label", 1)
        rows.append((label, [number(v, path, number_, "a number or NaN") for v in fields[1:]]))
    return lines[0].split(","), rows


def command_stats(args, out):
    settings = read_stats_settings("statsparam.txt")
    header, monthly = read_labelled(settings["monthly"])
    if not monthly:
        raise NothingToDraw(settings["monthly"])
    _, annual = read_labelled(settings["annual"])
    width = len(monthly[0][1]) if monthly else 0
    wanted = args.columns or list(range(1, min(width, 12) + 1))
    for c in wanted:
        if c < 1 or c > width:
            raise InputProblem(settings["monthly"], 1, "has no value column %d" % c)
    pictures = []
    for c in wanted:
        fig, ax = plt.subplots(figsize=WIDE)
        months = [label // 100 + (label % 100 - 0.5) / 12 for label, _ in monthly]
        ax.plot(months, [values[c - 1] for _, values in monthly], linewidth=0.8,
                label="monthly %s" % settings["operation"])
        if annual:
            years = [label for label, _ in annual]
            ax.step(years + [years[-1] + 1], [values[c - 1] for _, values in annual] + [annual[-1][1][c - 1]],
                    where="post", color="#e6550d", label="annual %s" % settings["operation"])
        name = header[c] if c < len(header) else "column %d" % c
        ax.set_title("%s: monthly and annual %s" % (name, settings["operation"]))
        ax.set_xlabel("year")
        ax.legend(loc="upper right")
        ax.grid(alpha=0.3)
        pictures.append(out.picture(fig, "stats_column%d" % c))
    return pictures


# ------------------------------------------------------------------- runs

def read_run_record(path):
    """runs.csv: run, set_or_row, worker, attempts, status, seconds, started_utc."""
    lines = read_lines(path)
    header = "run,set_or_row,worker,attempts,status,seconds,started_utc"
    if not lines or lines[0] != header:
        raise InputProblem(path, 1, "expected the header '%s'" % header)
    runs = []
    for number_, line in enumerate(lines[1:], start=2):
        fields = line.split(",")
        if len(fields) != 7:
            raise InputProblem(path, number_, "expected 7 fields, found %d" % len(fields))
        if fields[4] not in ("ok", "failed"):
            raise InputProblem(path, number_, "expected the status ok or failed, found %s" % quoted(fields[4]))
        runs.append((whole(fields[0], path, number_, "a run number", 1), fields[4] == "ok",
                     finite(fields[5], path, number_, "the seconds of the run")))
    if not runs:
        raise NothingToDraw(path)
    return runs


def command_runs(args, out):
    runs = read_run_record("runs.csv")
    fig, (left, right) = plt.subplots(1, 2, figsize=WIDE)
    ok = [(n, s) for n, good, s in runs if good]
    failed = [(n, s) for n, good, s in runs if not good]
    left.scatter([n for n, _ in ok], [s for _, s in ok], s=6, color="#3182bd", label="run")
    if failed:
        left.scatter([n for n, _ in failed], [s for _, s in failed], s=18, color="#e6550d", marker="x", label="failed")
    left.set_xlabel("run")
    left.set_ylabel("seconds")
    left.set_title("time of every run (%d runs, %d failed)" % (len(runs), len(failed)))
    left.legend(loc="upper right")
    left.grid(alpha=0.3)
    right.hist([s for _, s in ok], bins=min(50, max(5, len(ok) // 5)), color="#3182bd")
    right.set_xlabel("seconds")
    right.set_ylabel("runs")
    right.set_title("run times")
    right.grid(alpha=0.3)
    fig.tight_layout()
    return [out.picture(fig, "runs")]


def column_list(text):
    try:
        return [int(v) for v in text.split(",") if v.strip()]
    except ValueError:
        raise argparse.ArgumentTypeError("expected column numbers such as 1,3,5")


class Parser(argparse.ArgumentParser):
    """Usage errors end with status 1, like every other failure."""

    def error(self, message):
        self.print_usage(sys.stderr)
        print("%s: %s" % (self.prog, message), file=sys.stderr)
        sys.exit(1)


def main(argv=None):
    parser = Parser(prog="plot-results", description=__doc__.split("\n\n")[0])
    parser.add_argument("--version", action="version", version="plot-results " + VERSION)
    sub = parser.add_subparsers(dest="command", required=True, parser_class=Parser)
    band = sub.add_parser("band", help="ensemble band per station, and band_quality.csv")
    band.add_argument("run_control")
    band.add_argument("--log", action="store_true", help="logarithmic flow axis")
    sens = sub.add_parser("sensitivity", help="OAT sensitivity ranking and runs")
    morris = sub.add_parser("morris", help="Morris screening: mu*-sigma plane and ranked mu* per output")
    stats = sub.add_parser("stats", help="monthly and annual values of Calvor")
    stats.add_argument("--columns", type=column_list, help="value columns to draw, such as 1,3,5")
    runs = sub.add_parser("runs", help="run times of a study, from runs.csv")
    for p in (band, sens, morris, stats, runs):
        p.add_argument("--format", choices=("png", "svg"), default="png")
    args = parser.parse_args(argv)
    command = {"band": command_band, "sensitivity": command_sensitivity, "morris": command_morris,
               "stats": command_stats,
               "runs": command_runs}[args.command]
    out = Output(args.format)
    try:
        written = command(args, out)
        out.commit()
    except (InputProblem, OutputProblem, NothingToDraw) as problem:
        out.discard()
        print(problem, file=sys.stderr)
        return 1
    except Exception as error:  # anything unforeseen: one line, never a traceback
        out.discard()
        print("plot-results: %s" % error, file=sys.stderr)
        return 1
    for path in written:
        print("wrote", path)
    return 0


if __name__ == "__main__":
    sys.exit(main())
