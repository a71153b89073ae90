# Shared by the CI scripts: installs Debian packages that are not installed yet,
# non-interactively, refreshing the package lists once per CI run.
export DEBIAN_FRONTEND=noninteractive
apt_install() {
  local missing=()
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" || missing+=("$package")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    if [ -z "${ULVANE_APT_UPDATED:-}" ]; then
      apt-get update -q
      export ULVANE_APT_UPDATED=1
    fi
    apt-get install -y -q --no-install-recommends "${missing[@]}"
  fi
}
