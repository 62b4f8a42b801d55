#!/usr/bin/python3
# Sets up one Syncthing home for the two-machine test: loopback only, no
# discovery, relays, NAT, upgrades or usage reports, a REST key of our own, the
# other machine trusted at a fixed address and one folder shared with it.
# Usage: syncthing_config.py CONFIG.XML LISTEN_PORT GUI_PORT API_KEY FOLDER OTHER_ID OTHER_PORT
import copy
import sys
import xml.etree.ElementTree as ET

config, port, gui_port, key, folder, other_id, other_port = sys.argv[1:]
tree = ET.parse(config)
root = tree.getroot()
me = root.find("device")

options = root.find("options")
for name, value in {
    "listenAddress": f"tcp://127.0.0.1:{port}",
    "globalAnnounceEnabled": "false",
    "localAnnounceEnabled": "false",
    "relaysEnabled": "false",
    "natEnabled": "false",
    "urAccepted": "-1",
    "autoUpgradeIntervalH": "0",
    "crashReportingEnabled": "false",
    "startBrowser": "false",
    "reconnectionIntervalS": "1",
}.items():
    options.find(name).text = value
gui = root.find("gui")
gui.set("tls", "false")
gui.find("address").text = f"127.0.0.1:{gui_port}"
gui.find("apikey").text = key

other = copy.deepcopy(me)
other.set("id", other_id)
other.set("name", "other")
other.find("address").text = f"tcp://127.0.0.1:{other_port}"
root.insert(list(root).index(me) + 1, other)

shared = copy.deepcopy(root.find("defaults/folder"))
shared.attrib.update(id="cadro", label="Cadro", path=folder, rescanIntervalS="10",
                     fsWatcherDelayS="1")
peer = copy.deepcopy(shared.find("device"))
peer.set("id", other_id)
shared.insert(list(shared).index(shared.find("device")) + 1, peer)
root.insert(list(root).index(other) + 1, shared)
tree.write(config)
