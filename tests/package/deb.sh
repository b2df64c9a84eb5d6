#!/usr/bin/env bash
# Builds the Debian packages, has lintian look at them, unpacks them into a throw-away root,
# checks the runtime and tools packages' Depends against the libraries their binaries link and
# the shared library's exported names, and builds the consumer against them twice
# (find_package and pkg-config); both draw on the display. The Python module imports from it.
set -euo pipefail
source_dir=$1
work=$2
mapfile -t debs < <("$source_dir/scripts/package" "$work/build")
[ ${#debs[@]} -eq 5 ] || { echo "expected five packages, got: ${debs[*]}" >&2; exit 1; }

# lintian: no error, and no warning but those listed with their reasons.
accepted=$source_dir/cmake/debian/lintian-accepted
findings=$(lintian --tag-display-limit 0 "${debs[@]}" 2>/dev/null | grep -E '^[EW]: ' || true)
unexpected=$(grep -vxFf <(grep -v '^#' "$accepted") <<<"$findings" || true)
[ -z "$unexpected" ] || { echo "lintian: $unexpected" >&2; exit 1; }

root=$work/root
rm -rf "$root"
for deb in "${debs[@]}"; do dpkg -x "$deb" "$root"; done
libdir=$(dirname "$(find "$root" -name 'libstimora.so.*.*')")
binaries=("$libdir"/libstimora.so.*.* "$root"/usr/bin/* "$root"/usr/lib/python3/dist-packages/stimora.*.so)

# Only the framework's own names leave the shared library.
foreign=$(nm -D --defined-only -C "$libdir"/libstimora.so.0 | cut -d' ' -f3- |
  grep -vE '^(Stimora::|(typeinfo|typeinfo name|vtable|VTT|guard variable) for Stimora::)' || true)
[ -z "$foreign" ] || { echo "exported beyond the framework: $(head -5 <<<"$foreign")" >&2; exit 1; }

# For each library a binary names (objdump -p), as ldd resolves it: the package owning it and
# the packages its shlibs or symbols file tells dependents to name. Depends must hold one of
# those for every library, and nothing else; the copyright file a notice for each owner.
export LD_LIBRARY_PATH=$libdir
depends=$(for deb in "${debs[@]}"; do dpkg-deb -f "$deb" Depends; echo; done | tr ',' '\n' |
  sed 's/([^)]*)//g; s/ //g' | grep -v '^$' | sort -u |
  # Not linked, and rightly named: the packages among themselves, what the -dev package's
  # archives and CMake package need, libgl1, which brings the OpenGL vendor library loaded at
  # run time, and the interpreter and numpy the Python module is loaded by and hands arrays to.
  grep -vE '^(libstimora0|libstimora-dev|libnlopt-dev|libcairo2-dev|nlohmann-json3-dev|libgl1|python3|python3-numpy)$')
named=()
for soname in $(objdump -p "${binaries[@]}" | awk '$1 == "NEEDED" && $2 !~ /^libstimora/ {print $2}' | sort -u); do
  path=$(realpath "$(ldd "${binaries[@]}" | awk -v s="$soname" '$1 == s {print $3; exit}')")
  owner=$( (dpkg -S "$path" || dpkg -S "${path#/usr}") 2>/dev/null | cut -d: -f1)
  info=/var/lib/dpkg/info/$owner:$(dpkg --print-architecture)
  mapfile -t names < <({ echo "$owner"
    awk -v s="$soname" '$1 == s {print $2}' "$info.symbols" 2>/dev/null || true
    awk -v n="${soname%%.so.*}" -v v="${soname##*.so.}" '$1 == n && $2 == v {$1 = $2 = ""; print}' \
      "$info.shlibs" 2>/dev/null | tr '|' '\n' | sed 's/([^)]*)//g'; } | xargs -n1 | sort -u)
  grep -qxFf <(printf '%s\n' "${names[@]}") <(tr '|' '\n' <<<"$depends") ||
    { echo "$soname (${names[*]}) is missing from Depends: ${depends//$'\n'/, }" >&2; exit 1; }
  grep -qF "$owner" "$root/usr/share/doc/libstimora0/copyright" || { echo "no notice for $owner" >&2; exit 1; }
  named+=("${names[@]}")
done
for entry in $depends; do
  tr '|' '\n' <<<"$entry" | grep -qxFf <(printf '%s\n' "${named[@]}") ||
    { echo "Depends $entry: no linked library" >&2; exit 1; }
done

cmake -S "$source_dir/tests/package/consumer" -B "$work/consumer" -DCMAKE_PREFIX_PATH="$root/usr" >/dev/null
cmake --build "$work/consumer" >/dev/null
c++ -std=c++17 -o "$work/pc-consumer" "$source_dir/tests/package/consumer/main.cpp" \
  $(PKG_CONFIG_PATH=$libdir/pkgconfig pkg-config --cflags --libs stimora)
for consumer in "$work/consumer/consumer" "$work/pc-consumer"; do
  ldd "$consumer" | grep -F "$libdir/libstimora.so.0" >/dev/null || { echo "$consumer: not the packaged library" >&2; exit 1; }
  "$consumer" canvas
done
PYTHONPATH=$root/usr/lib/python3/dist-packages /usr/bin/python3 -c "import stimora" ||
  { echo "the packaged Python module does not import" >&2; exit 1; }
