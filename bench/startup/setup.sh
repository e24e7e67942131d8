#!/bin/sh
# Debian 12 packages this benchmark needs, the two peer programs included (run as root).
set -e
apt-get update
DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends \
    xvfb xauth xdotool x11-utils python3-xlib sasm geany
