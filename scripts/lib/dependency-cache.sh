# Dependencies built from Debian's source packages, each in a checked cache
# entry of its own. Sourced by scripts/build-windows and scripts/build-curl,
# which set:
#   cache      the cache folder
#   compiler   the compiler's version line (part of every entry's hash)
#   toolchain  a CMake toolchain file, or empty for a native build
#   jobs       parallel build jobs
# and define a recipe build_NAME SOURCE PREFIX for every dependency NAME.
#
# An entry is named NAME-VERSION-HASH, HASH covering the recipe, the helpers
# below that recipes call, the compiler, the toolchain file and any extra
# recipe files. It is complete when its manifest (every file's checksum,
# written last) checks; a half-written or damaged entry is built again.

log() { echo "== $*" >&2; }

# --- Debian source packages --------------------------------------------------

# The source lists of Debian's binary sources, as deb-src, once.
enable_deb_src() {
  if apt-cache showsrc htmlcxx 2>/dev/null | grep -q '^Package:'; then return; fi
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  local list=/etc/apt/sources.list.d/debian.sources
  if [ -f "$list" ]; then
    sed 's/^Types:.*/Types: deb-src/' "$list" | $sudo tee /etc/apt/sources.list.d/sorvik-deb-src.sources >/dev/null
  else
    grep -h '^deb ' /etc/apt/sources.list 2>/dev/null | sed 's/^deb /deb-src /' |
      $sudo tee /etc/apt/sources.list.d/sorvik-deb-src.list >/dev/null
  fi
  $sudo apt-get update -q >/dev/null
}

# The newest version of a source package that the sources offer.
source_version() {
  local best=""
  for v in $(apt-cache showsrc "$1" | awk -v p="$1" '$1 == "Package:" {on = ($2 == p)} on && $1 == "Version:" {print $2}'); do
    if [ -z "$best" ] || dpkg --compare-versions "$v" gt "$best"; then best=$v; fi
  done
  [ -n "$best" ] || { echo "no source package $1" >&2; exit 1; }
  echo "$best"
}

# Unpacks PACKAGE at VERSION (Debian's patches applied) and prints its
# directory. The unpacked tree is kept in the cache, marked when complete.
fetch_source() {
  local package=$1 version=$2
  local dir=$cache/src/$package-${version#*:}
  if [ ! -f "$dir/.sorvik-unpacked" ]; then
    log "$package $version: fetching the source"
    rm -rf "$dir" "$dir.dl"
    mkdir -p "$dir.dl"
    (cd "$dir.dl" && apt-get source -q --download-only "$package=$version" >/dev/null 2>&1)
    # apt-get checked the files against the archive's signed index.
    dpkg-source --no-check -x "$dir.dl/${package}_${version#*:}.dsc" "$dir.dl/tree" >/dev/null
    mv "$dir.dl/tree" "$dir"
    rm -rf "$dir.dl"
    touch "$dir/.sorvik-unpacked"
  fi
  echo "$dir"
}

# --- Cache entries -----------------------------------------------------------

entry_valid() {
  [ -f "$1/.sorvik-manifest" ] &&
    (cd "$1" && sha256sum --quiet --strict -c .sorvik-manifest >/dev/null 2>&1)
}

write_manifest() {
  (cd "$1" && find . \( -type f -o -type l \) ! -name '.sorvik-manifest*' -print0 | LC_ALL=C sort -z |
    xargs -0 sha256sum >.sorvik-manifest.tmp && mv .sorvik-manifest.tmp .sorvik-manifest)
}

# dep NAME PACKAGE [EXTRA_FILE...]: the prefix of dependency NAME, built
# from source package PACKAGE with build_NAME SOURCE PREFIX unless its cache
# entry checks. The extra files (recipe parts outside this script) go into
# the entry's hash.
dep() {
  local name=$1 package=$2
  shift 2
  local version hash prefix
  version=$(source_version "$package")
  hash=$({
    declare -f "build_$name" cmake_dep write_pc
    echo "$version $compiler"
    cat ${toolchain:+"$toolchain"} "$@"
  } | sha256sum | cut -c1-12)
  # No epoch in file names: a colon would split pkg-config's search path.
  prefix=$cache/$name-${version#*:}-$hash
  if entry_valid "$prefix"; then
    log "$name $version: cached in $prefix"
  else
    local src work started
    src=$(fetch_source "$package" "$version")
    rm -rf "$prefix"
    work=$(mktemp -d "$cache/build-$name.XXXXXX")
    started=$(date +%s)
    log "$name $version: building (log: $work/build.log)"
    # A plain subshell, not a condition, so that its first failing command
    # ends it.
    set +e
    (
      set -e
      cd "$work"
      "build_$name" "$src" "$prefix"
    ) >"$work/build.log" 2>&1
    local status=$?
    set -e
    if [ "$status" -ne 0 ]; then
      tail -n 40 "$work/build.log" >&2
      echo "building $name failed; log: $work/build.log" >&2
      exit 1
    fi
    write_manifest "$prefix"
    rm -rf "$work"
    log "$name: built in $(($(date +%s) - started)) s"
  fi
  DEP_PREFIX=$prefix
}

# Writes a pkg-config file NAME.pc into PREFIX/lib/pkgconfig.
write_pc() {
  local prefix=$1 name=$2 version=$3 libs=$4 cflags=$5
  mkdir -p "$prefix/lib/pkgconfig"
  cat >"$prefix/lib/pkgconfig/$name.pc" <<EOF
prefix=$prefix
libdir=\${prefix}/lib
includedir=\${prefix}/include

Name: $name
Description: $name for Windows (static)
Version: $version
Libs: -L\${libdir} $libs
Cflags: -I\${includedir} $cflags
EOF
}

cmake_dep() {  # source prefix cmake-args...
  local src=$1 prefix=$2
  shift 2
  cmake -S "$src" -B build ${toolchain:+-DCMAKE_TOOLCHAIN_FILE="$toolchain"} \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" "$@"
  cmake --build build -j"$jobs"
  cmake --install build
}

