# Installs the Debian packages named as arguments when any of them is missing.
# Sourced by the scripts in scripts/.
ensure_packages() {
    local missing=()
    local p
    for p in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$p")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "These Debian packages are needed: ${missing[*]}" >&2
        echo "Run this command as root, or install them with: sudo apt-get install ${missing[*]}" >&2
        exit 1
    fi
    echo "Installing ${missing[*]} ..."
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Packages every build needs.
BUILD_PACKAGES=(cmake ninja-build g++ make pkg-config)
# The windowing toolkit: Qt 6 Widgets, and fonts for measuring and drawing text (Liberation
# Sans draws the charts' "Arial" with its metrics).
BUILD_PACKAGES+=(qt6-base-dev fonts-dejavu-core fonts-liberation2)
