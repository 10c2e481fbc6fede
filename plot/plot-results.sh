#!/bin/sh
# plot-results: runs plot_results.py (beside this launcher) with the first
# Python 3 that can import matplotlib. "plot-results --python ARGS" runs that
# Python itself with ARGS.
here=$(cd "$(dirname "$0")" && pwd)
for py in /usr/bin/python3 python3 python; do
  if command -v "$py" > /dev/null 2>&1 && "$py" -c "import matplotlib" > /dev/null 2>&1; then
    if [ "${1:-}" = "--python" ]; then
      shift
      exec "$py" "$@"
    fi
    exec "$py" "$here/plot_results.py" "$@"
  fi
done
echo "plot-results: no Python 3 with matplotlib found (Debian: apt-get install python3-matplotlib; elsewhere: pip install matplotlib)" >&2
exit 1
