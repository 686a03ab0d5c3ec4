#!/usr/bin/env bash
# Cross-builds Quillon for 64-bit Windows on Debian 12, as root (or through sudo).
#
#   scripts/build-windows.sh          packages, wxWidgets for MSW (cached), quillon.exe,
#                                     quillon-zone-sim.exe, the zip and the installer
#   scripts/build-windows.sh --test   the same, then the smoke tests of both under Wine
#   scripts/build-windows.sh --wx     packages and the wxWidgets build only
#
# Everything comes from Debian's own packages: the MinGW-w64 cross compiler, its zlib,
# Wine, and wxWidgets' source package, built here as static MSW libraries once and kept
# under build-windows/wx (delete that folder to build it again).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root_dir=$PWD
out=$root_dir/build-windows

run_test=0
wx_only=0
for arg in "$@"; do
    case $arg in
        --test) run_test=1 ;;
        --wx) wx_only=1 ;;
        *) echo "usage: $0 [--test] [--wx]" >&2; exit 2 ;;
    esac
done

if [ "$(id -u)" -eq 0 ]; then
    as_root=()
elif command -v sudo >/dev/null; then
    as_root=(sudo)
else
    as_root=(false)
fi

say() { printf '== %s\n' "$*"; }

# --- packages -----------------------------------------------------------------
packages=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev libz-mingw-w64-dev
    wine wine64 xvfb xauth xdotool imagemagick dpkg-dev cmake make zip file nsis)
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
sources=/etc/apt/sources.list.d/quillon-debian-sources.sources
if [ ! -f "$sources" ]; then
    say "enabling Debian's source entries in $sources"
    . /etc/os-release
    "${as_root[@]}" tee "$sources" >/dev/null <<EOF
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: $VERSION_CODENAME $VERSION_CODENAME-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
    missing+=(--update)
fi
if [ ${#missing[@]} -gt 0 ]; then
    say "installing: ${missing[*]/--update/}"
    "${as_root[@]}" apt-get update
    list=("${missing[@]/--update/}")
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y ${list[@]}
fi

host=x86_64-w64-mingw32
export PATH="$out/wx/bin:$PATH"

# --- wxWidgets for MSW, static, from Debian's source package -------------------
wx_options=(--host=$host --with-msw --disable-shared --enable-unicode
    --without-libpng --without-libjpeg --without-libtiff --without-expat --without-regex --with-zlib=sys
    --without-liblzma --without-opengl
    --disable-xrc --disable-html --disable-webview --disable-mediactrl --disable-stc --disable-richtext
    --disable-propgrid --disable-ribbon --disable-aui --disable-svg --disable-webrequest)
wx_stamp="$out/wx/.quillon-built $(printf '%s ' "${wx_options[@]}" | md5sum | cut -c1-12)"
wx_stamp=${wx_stamp// /-}
if [ ! -f "$wx_stamp" ]; then
    mkdir -p "$out/src"
    if ! ls -d "$out"/src/wxwidgets3.2-*/ >/dev/null 2>&1; then
        say "fetching Debian's wxWidgets source package"
        (cd "$out/src" && apt-get source --download-only wxwidgets3.2 >/dev/null && dpkg-source -x --no-check wxwidgets3.2_*.dsc >/dev/null)
    fi
    wx_src=$(ls -d "$out"/src/wxwidgets3.2-*/ | head -1)
    say "building wxWidgets for MSW from $wx_src (once; this takes a while)"
    rm -rf "$out/wx-build" "$out/wx"
    mkdir -p "$out/wx-build"
    start=$(date +%s)
    (cd "$out/wx-build" && CC=$host-gcc-posix CXX=$host-g++-posix \
        "$wx_src/configure" --prefix="$out/wx" "${wx_options[@]}" >configure.log 2>&1) \
        || { tail -30 "$out/wx-build/configure.log"; exit 1; }
    nice -n 19 make -C "$out/wx-build" -j"$(nproc)" >"$out/wx-build/make.log" 2>&1 \
        || { tail -40 "$out/wx-build/make.log"; exit 1; }
    make -C "$out/wx-build" install >"$out/wx-build/install.log" 2>&1
    touch "$wx_stamp"
    say "wxWidgets built in $(( $(date +%s) - start )) s"
else
    say "wxWidgets for MSW: cached in $out/wx"
fi
[ "$wx_only" -eq 1 ] && exit 0

# --- Quillon --------------------------------------------------------------------
say "cross-building quillon.exe and quillon-zone-sim.exe"
start=$(date +%s)
cmake -S "$root_dir" -B "$out/quillon" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root_dir/cmake/mingw-w64-x86_64.cmake" -DQUILLON_WX_PREFIX="$out/wx" \
    -DQUILLON_WERROR=ON -DQUILLON_TESTS=OFF -DQUILLON_BENCH=OFF >"$out/cmake.log" 2>&1 \
    || { tail -30 "$out/cmake.log"; exit 1; }
cmake --build "$out/quillon" -j"$(nproc)" >"$out/build.log" 2>&1 || { grep -E 'error|Error' -A3 "$out/build.log" | head -60; exit 1; }
$host-strip "$out/quillon/app/quillon.exe" "$out/quillon/tools/zone-sim/quillon-zone-sim.exe"
say "built in $(( $(date +%s) - start )) s: $(du -h "$out/quillon/app/quillon.exe" | cut -f1) quillon.exe"

# --- the zip and the installer ----------------------------------------------------
# Both hold the same files; the installer adds its uninstaller, the Start menu entry
# and the entry under "Apps & features".
version=$(sed -n 's/^project(Quillon VERSION \([0-9.]*\).*/\1/p' "$root_dir/CMakeLists.txt")
package=quillon-$version-windows-x64
setup=quillon-$version-setup.exe
wx_src=$(ls -d "$out"/src/wxwidgets3.2-*/ | head -1)
rm -rf "$out/$package" "$out/$package.zip" "$out/$setup"
mkdir -p "$out/$package"
cp "$out/quillon/app/quillon.exe" "$out/quillon/tools/zone-sim/quillon-zone-sim.exe" "$out/$package/"
# Windows users read README.txt with Windows line ends; README.md is the project's.
sed -e "s/@VERSION@/$version/" -e 's/$/\r/' "$root_dir/resources/windows/README.txt" >"$out/$package/README.txt"
cat "$wx_src/docs/licence.txt" "$wx_src/docs/lgpl.txt" >"$out/$package/LICENCE-wxWidgets.txt"
cp /usr/share/doc/libz-mingw-w64-dev/copyright "$out/$package/LICENCE-zlib.txt"
(cd "$out" && zip -q -r -X "$package.zip" "$package")
say "portable zip: $out/$package.zip ($(du -h "$out/$package.zip" | cut -f1))"

stage=$out/installer-stage
rm -rf "$stage" && cp -r "$out/$package" "$stage" && cp "$root_dir/resources/quillon.ico" "$stage/"
makensis -V2 -DVERSION="$version" -DSTAGE="$stage" -DOUTFILE="$out/$setup" \
    "$root_dir/resources/windows/installer.nsi" >"$out/makensis.log" 2>&1 || { cat "$out/makensis.log"; exit 1; }
say "installer: $out/$setup ($(du -h "$out/$setup" | cut -f1))"

# --- the smoke test under Wine -----------------------------------------------------
if [ "$run_test" -eq 1 ]; then
    say "smoke test under Wine"
    xvfb-run -a -s "-screen 0 1024x768x24" "$root_dir/tests/windows/WineSmoke.sh" \
        "$out/quillon/app/quillon.exe" "$out/quillon/tools/zone-sim/quillon-zone-sim.exe" "$out/smoke" \
        "$out/smoke/screen.png"
    say "the installer under Wine"
    xvfb-run -a -s "-screen 0 1024x768x24" "$root_dir/tests/windows/WineInstall.sh" \
        "$out/$setup" "$out/quillon/tools/zone-sim/quillon-zone-sim.exe" "$out/install-test" \
        "$out/install-test/screen.png"
fi
