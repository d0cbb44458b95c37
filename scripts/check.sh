#!/usr/bin/env bash
# Checks that need no build: the source formatting and the layer rule.
#   scripts/check.sh            both checks
#   scripts/check.sh format     every .cpp/.h is unchanged by clang-format --style=file
#   scripts/check.sh layers     no file includes a header of a layer above its own, and only
#                               platform/ includes Qt, libjpeg, ICU, iconv, fontconfig or HarfBuzz headers
# The files checked are those git knows of plus new ones it does not ignore, so the
# checks can be run by hand before a commit. A failing check lists what is wrong and
# exits with status 1.
set -euo pipefail
cd "$(dirname "$0")/.."

# The layers from the bottom up; a file may include its own layer and those before it.
layers=(platform document view print edit table rtf app)
# Folders the layer rule does not hold for.
exempt=(tests bench)

sources() {
  git ls-files -z --cached --others --exclude-standard -- '*.cpp' '*.h' |
    while IFS= read -r -d '' f; do
      [ -f "$f" ] && printf '%s\0' "$f"
    done
}

find_clang_format() {
  local c
  for c in "${CLANG_FORMAT:-}" clang-format-14 clang-format; do
    if [ -n "$c" ] && command -v "$c" >/dev/null; then
      echo "$c"
      return 0
    fi
  done
  return 1
}

check_format() {
  local cf
  if ! cf=$(find_clang_format); then
    . scripts/setup.sh
    kelvor_install_missing clang-format
    cf=$(find_clang_format)
  fi
  # --dry-run -Werror reports each place a file would change as "file:line:col: error: ...".
  local bad
  bad=$(sources | xargs -0 -r -n 16 -P "$(nproc)" "$cf" --style=file --dry-run -Werror 2>&1 |
    sed -n 's/^\(.*\.\(cpp\|h\)\):[0-9]*:[0-9]*: error: .*/\1/p' | sort -u)
  if [ -n "$bad" ]; then
    echo "These files are not formatted (run: $cf -i --style=file <file>):"
    echo "$bad" | sed 's/^/  /'
    return 1
  fi
  echo "format: every file is formatted"
}

check_layers() {
  local bad files
  sources | tr '\0' '\n' >"$tmp/files"
  mapfile -t files <"$tmp/files"
  [ ${#files[@]} -gt 0 ] || return 0
  # The awk program first reads the list of files (to resolve includes relative to
  # the including file as the compiler does), then every file's #include lines.
  bad=$(awk -v order="${layers[*]}" -v exempt="${exempt[*]}" '
      function normalize(path,    parts, n, i, out, k) {
        n = split(path, parts, "/")
        k = 0
        for (i = 1; i <= n; i++) {
          if (parts[i] == "" || parts[i] == ".") continue
          if (parts[i] == "..") { if (k > 0) k--; continue }
          out[++k] = parts[i]
        }
        path = ""
        for (i = 1; i <= k; i++) path = path (i > 1 ? "/" : "") out[i]
        return path
      }
      function top(path) { sub(/\/.*/, "", path); return path }
      function thirdParty(header) {
        if (header ~ /^Q[A-Za-z0-9]*$/ || header ~ /^Qt[A-Za-z0-9]*\//) return "Qt"
        if (header ~ /^(jpeglib|jerror|jconfig|jmorecfg|turbojpeg)\.h$/) return "libjpeg"
        if (header ~ /^unicode\//) return "ICU"
        if (header ~ /^iconv\.h$/) return "iconv"
        if (header ~ /^fontconfig\//) return "fontconfig"
        if (header ~ /^hb(-[a-z0-9-]+)?\.h$/ || header ~ /^harfbuzz\//) return "HarfBuzz"
        return ""
      }
      BEGIN {
        n = split(order, names, " ")
        for (i = 1; i <= n; i++) rank[names[i]] = i
        n = split(exempt, names, " ")
        for (i = 1; i <= n; i++) skip[names[i]] = 1
      }
      NR == FNR { known[$0] = 1; next }
      FNR == 1 {
        own = top(FILENAME)
        dir = FILENAME
        if (!sub(/\/[^\/]*$/, "", dir)) dir = "."
        checked = !(own in skip)
        if (checked && !(own in rank))
          printf "%s: is in no layer (the layers are: %s)\n", FILENAME, order
      }
      !checked || !(own in rank) { next }
      /^[ \t]*#[ \t]*include[ \t]*[<"]/ {
        line = $0
        sub(/^[ \t]*#[ \t]*include[ \t]*/, "", line)
        quoted = substr(line, 1, 1) == "\""
        header = substr(line, 2)
        sub(/[>"].*/, "", header)
        lib = thirdParty(header)
        if (lib != "" && own != "platform") {
          printf "%s:%d: includes the %s header <%s>; only platform/ may\n", FILENAME, FNR, lib, header
          next
        }
        # A quoted include is looked for next to the including file first.
        path = normalize(header)
        if (quoted && ((dir "/" header) in known || normalize(dir "/" header) in known))
          path = normalize(dir "/" header)
        layer = top(path)
        if (path ~ /\// && (layer in rank) && rank[layer] > rank[own])
          printf "%s:%d: includes %s, from the layer %s above %s\n", FILENAME, FNR, path, layer, own
      }
    ' "$tmp/files" "${files[@]}")
  if [ -n "$bad" ]; then
    local chain="${layers[*]}"
    echo "Layer rule broken (a layer includes only those below it: ${chain// / <- }):"
    echo "$bad" | sed 's/^/  /'
    return 1
  fi
  echo "layers: no file includes upwards"
}

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

what=${1:-all}
status=0
case "$what" in
  format) check_format || status=1 ;;
  layers) check_layers || status=1 ;;
  all)
    check_format || status=1
    check_layers || status=1
    ;;
  *)
    echo "usage: $0 [format|layers]" >&2
    exit 2
    ;;
esac
exit "$status"
