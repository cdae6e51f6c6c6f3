#!/usr/bin/env bash
# check_deb.sh CPACK CPACK_CONFIG SCRATCH_DIR APP_ID VERSION
# Builds the Debian package with cpack into SCRATCH_DIR, unpacks it there and checks
# what a desktop user gets: exactly the agent's files, the desktop entry and the
# metainfo accepted by their validators, icons of the right pixel sizes, and a
# Depends field computed from the linked Qt and curl libraries.
set -euo pipefail
cpack=$1 config=$2 scratch=$3 app_id=$4 version=$5

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

rm -rf "$scratch"
mkdir -p "$scratch/out"
"$cpack" --config "$config" -G DEB -B "$scratch/out" >"$scratch/cpack.log" 2>&1 \
  || { cat "$scratch/cpack.log"; echo "FAIL: cpack"; exit 1; }

arch=$(dpkg --print-architecture)
deb="$scratch/out/qk-agent_${version}_${arch}.deb"
[ -f "$deb" ] || { ls -l "$scratch/out"; echo "FAIL: no $deb"; exit 1; }

echo "== control"
dpkg-deb -f "$deb"
[ "$(dpkg-deb -f "$deb" Package)" = "qk-agent" ] || fail "Package is not qk-agent"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "Version is not $version"
[ -n "$(dpkg-deb -f "$deb" Maintainer)" ] || fail "no Maintainer"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6core6 libqt6gui6 libqt6widgets6 libcurl4; do
  # A package name in the list, as a whole word (libqt6core6 must not match libqt6core6t64x).
  grep -Eq "(^|[ ,])${lib}( |,|$)" <<<"$depends" || fail "Depends lacks $lib: $depends"
done

# Exactly these files, nothing of the demo store, the tests or the tools.
expected=(
  ./usr/bin/qk-agent
  "./usr/share/applications/${app_id}.desktop"
  ./usr/share/doc/qk-agent/copyright
  "./usr/share/metainfo/${app_id}.metainfo.xml"
)
sizes=(16 24 32 48 64 128 256)
for s in "${sizes[@]}"; do
  expected+=("./usr/share/icons/hicolor/${s}x${s}/apps/${app_id}.png")
done
echo "== files"
listing=$(dpkg-deb -c "$deb")
echo "$listing"
actual=$(awk '$1 !~ /^d/ {print $6}' <<<"$listing" | sort)
wanted=$(printf '%s\n' "${expected[@]}" | sort)
if [ "$actual" != "$wanted" ]; then
  fail "file list differs (< wanted, > packaged):"
  diff <(echo "$wanted") <(echo "$actual") || true
fi
owners=$(awk '{print $2}' <<<"$listing" | sort -u)
[ "$owners" = "root/root" ] || fail "files not all owned by root: $owners"
bin_mode=$(awk '$6 == "./usr/bin/qk-agent" {print $1}' <<<"$listing")
[ "$bin_mode" = "-rwxr-xr-x" ] || fail "qk-agent has mode $bin_mode, not -rwxr-xr-x"

root="$scratch/root"
dpkg -x "$deb" "$root"

bin="$root/usr/bin/qk-agent"
[ -x "$bin" ] || fail "qk-agent not executable"
[ "$(head -c4 "$bin" | od -An -c | tr -d ' ')" = "177ELF" ] || fail "qk-agent is not an ELF file"
missing_libs=$(ldd "$bin" | grep 'not found' || true)
[ -z "$missing_libs" ] || fail "qk-agent misses libraries: $missing_libs"

desktop="$root/usr/share/applications/${app_id}.desktop"
echo "== desktop-file-validate"
desktop-file-validate "$desktop" || fail "desktop-file-validate refused the desktop entry"
# The launcher runs the installed binary, with no field codes (the agent takes no arguments).
exec_line=$(grep '^Exec=' "$desktop" | cut -d= -f2-)
exec_bin=${exec_line%% *}
[ "$exec_line" = "$exec_bin" ] || fail "Exec has arguments: $exec_line"
case "$exec_bin" in
  /*) [ "$exec_bin" = /usr/bin/qk-agent ] || fail "Exec names $exec_bin" ;;
  *) [ -x "$root/usr/bin/$exec_bin" ] || fail "Exec names $exec_bin, not an installed binary" ;;
esac
icon=$(grep '^Icon=' "$desktop" | cut -d= -f2-)
[ "$icon" = "$app_id" ] || fail "Icon is $icon, not $app_id"

echo "== icons"
for s in "${sizes[@]}"; do
  png="$root/usr/share/icons/hicolor/${s}x${s}/apps/${app_id}.png"
  [ -f "$png" ] || { fail "no ${s}x${s} icon"; continue; }
  [ "$(head -c8 "$png" | od -An -tx1 | tr -d ' \n')" = "89504e470d0a1a0a" ] || fail "${s}x${s} icon is no PNG"
  # IHDR: width and height as 32-bit big-endian numbers at bytes 16 and 20.
  read -r w h < <(od -An -tu1 -j16 -N8 "$png" |
    awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}')
  echo "${s}x${s}: ${w}x${h}"
  [ "$w" = "$s" ] && [ "$h" = "$s" ] || fail "${s}x${s} icon is ${w}x${h}"
done

metainfo="$root/usr/share/metainfo/${app_id}.metainfo.xml"
echo "== appstreamcli validate --no-net"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli refused the metainfo"
grep -q "<id>${app_id}</id>" "$metainfo" || fail "metainfo id is not $app_id"
grep -q "<launchable type=\"desktop-id\">${app_id}.desktop</launchable>" "$metainfo" ||
  fail "metainfo does not launch ${app_id}.desktop"
grep -q "<release version=\"${version}\"" "$metainfo" || fail "metainfo lacks release $version"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "package checks passed"
