#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The other device in sync tests: an independent CalDAV client (python3-caldav) that changes
the server's lists as a phone or another computer would.

  caldav_device.py [--url URL] [--user USER] [--password PASSWORD] COMMAND ...

URL, USER and PASSWORD default to $CALDAV_URL, $CALDAV_USER and $CALDAV_PASSWORD (as
caldav_servers.py sets them). A COLLECTION is an address, a path on the server, or the display
name of one of the user's calendars.

  collections                      JSON: [{"url", "path", "name", "components"}], every calendar
  mkcol NAME [--id ID] [--components VTODO,VEVENT]
                                   makes a calendar, prints its address
  rename COLLECTION NAME           sets the display name
  list COLLECTION                  JSON: [{"href", "etag", "uid", "data"}], every to-do (the
                                   data through XML, so with LF line ends; "show" is exact)
  show COLLECTION UID              the to-do's text exactly as the server sends it
  add COLLECTION [--summary TEXT] [--uid UID] [--set LINE...] [--ics FILE]
                                   uploads a to-do (the file's text as it is, "-" for standard
                                   input, or one made of the summary and the lines); prints its
                                   address
  edit COLLECTION UID [--set LINE...] [--remove NAME...]
                                   rewrites lines of the to-do itself (not of its alarms): a
                                   --set line "NAME[;PARAM=..]:VALUE" replaces the first line of
                                   that name or is added; --remove drops every line of a name;
                                   everything else goes back byte for byte
  delete COLLECTION UID
  move COLLECTION UID TARGET       the same text in TARGET, then deleted from COLLECTION
Errors go to standard error with exit status 1.
"""

import argparse
import json
import os
import sys
import uuid
import xml.etree.ElementTree as ET
from urllib.parse import unquote, urljoin, urlsplit

import caldav
import requests

DAV = "{DAV:}"
CALDAV = "{urn:ietf:params:xml:ns:caldav}"


class DeviceError(Exception):
    pass


class Device:
    def __init__(self, url, user, password):
        self.url = url
        self.client = caldav.DAVClient(url, username=user or None, password=password or None)
        if user:
            self.client.auth = requests.auth.HTTPBasicAuth(user, password)
        # Tests talk to loopback only, whatever proxy the environment names.
        self.client.session.trust_env = False

    # -- Addresses --

    def calendars(self):
        return self.client.principal().calendars()

    def collection(self, name):
        if "://" in name:
            return caldav.Calendar(client=self.client, url=name)
        if name.startswith("/"):
            return caldav.Calendar(client=self.client, url=urljoin(self.url, name))
        for calendar in self.calendars():
            if calendar.get_display_name() == name:
                return calendar
        raise DeviceError("no calendar named %r" % name)

    # The library's own requests turn CR LF into LF: ours keep the bytes as they are.
    def _request(self, url, method, body="", headers=None, expect=(200, 201, 204, 207)):
        response = self.client.session.request(method, str(url), data=body.encode("utf-8"),
                                               headers=headers or {}, auth=self.client.auth,
                                               timeout=60)
        if response.status_code not in expect:
            raise DeviceError("%s %s: HTTP %d %s" % (method, url, response.status_code,
                                                     response.reason))
        return response

    # -- Commands --

    def list_collections(self):
        result = []
        for calendar in self.calendars():
            try:
                components = calendar.get_supported_components()
            except Exception:
                components = []
            result.append({"url": str(calendar.url), "path": urlsplit(str(calendar.url)).path,
                           "name": calendar.get_display_name(), "components": components})
        return result

    def make_collection(self, name, ident, components):
        principal = self.client.principal()
        calendar = principal.make_calendar(name=name, cal_id=ident or str(uuid.uuid4()),
                                           supported_calendar_component_set=components)
        return str(calendar.url)

    def rename(self, collection, name):
        self.collection(collection).set_properties([caldav.elements.dav.DisplayName(name)])

    def todos(self, collection):
        calendar = self.collection(collection)
        query = ('<?xml version="1.0" encoding="utf-8"?>'
                 '<C:calendar-query xmlns:D="DAV:" xmlns:C="urn:ietf:params:xml:ns:caldav">'
                 '<D:prop><D:getetag/><C:calendar-data/></D:prop>'
                 '<C:filter><C:comp-filter name="VCALENDAR"><C:comp-filter name="VTODO"/>'
                 '</C:comp-filter></C:filter></C:calendar-query>')
        response = self._request(calendar.url, "REPORT", query,
                                 {"Depth": "1", "Content-Type": "application/xml"})
        items = []
        for node in ET.fromstring(response.content).iter(DAV + "response"):
            href = node.findtext(DAV + "href")
            etag = node.findtext(".//" + DAV + "getetag")
            data = node.findtext(".//" + CALDAV + "calendar-data")
            if data is None:
                continue
            items.append({"href": href, "etag": etag, "uid": uid_of(data), "data": data})
        return items

    def find(self, collection, uid):
        for item in self.todos(collection):
            if item["uid"] == uid:
                return urljoin(self.url, item["href"]), item
        raise DeviceError("no to-do with UID %r in %s" % (uid, collection))

    def show(self, collection, uid):
        url, _ = self.find(collection, uid)
        return self._request(url, "GET").content.decode("utf-8")

    def add(self, collection, text):
        calendar = self.collection(collection)
        url = urljoin(str(calendar.url), "%s.ics" % uuid.uuid4())
        self._request(url, "PUT", text, {"Content-Type": "text/calendar; charset=utf-8",
                                         "If-None-Match": "*"})
        return url

    def edit(self, collection, uid, sets, removes):
        url, item = self.find(collection, uid)
        text = edit_todo(item["data"], sets, removes)
        headers = {"Content-Type": "text/calendar; charset=utf-8"}
        if item["etag"]:
            headers["If-Match"] = item["etag"]
        self._request(url, "PUT", text, headers)

    def delete(self, collection, uid):
        url, item = self.find(collection, uid)
        self._request(url, "DELETE", headers={"If-Match": item["etag"]} if item["etag"] else {})

    def move(self, collection, uid, target):
        url, item = self.find(collection, uid)
        self.add(target, self._request(url, "GET").content.decode("utf-8"))
        self._request(url, "DELETE")


# -- iCalendar text, handled line by line so that nothing else changes --

def split_lines(text):
    """Content lines with their folded continuations, each with its line break."""
    lines = []
    for physical in text.splitlines(keepends=True):
        if lines and physical[:1] in (" ", "\t"):
            lines[-1] += physical
        else:
            lines.append(physical)
    return lines


def name_of(line):
    unfolded = line.replace("\r\n ", "").replace("\n ", "").replace("\r\n\t", "")
    end = min(i for i in (unfolded.find(":"), unfolded.find(";"), len(unfolded)) if i >= 0)
    return unfolded[:end].strip().upper()


def value_of(line):
    unfolded = line.replace("\r\n ", "").replace("\n ", "").rstrip("\r\n")
    return unfolded.split(":", 1)[1] if ":" in unfolded else ""


def uid_of(text):
    for line in split_lines(text):
        if name_of(line) == "UID":
            return value_of(line)
    return None


def edit_todo(text, sets, removes):
    lines = split_lines(text)
    newline = "\r\n" if lines and lines[0].endswith("\r\n") else "\n"
    removes = {name.upper() for name in removes}
    replaced = set()
    out = []
    depth = []
    for line in lines:
        name = name_of(line)
        value = value_of(line).strip().upper()
        in_todo = depth == ["VCALENDAR", "VTODO"]
        if name == "BEGIN":
            depth.append(value)
        elif name == "END":
            if in_todo and value == "VTODO":
                for new in sets:
                    if name_of(new) not in replaced:
                        out.append(new + newline)
            depth.pop()
        elif in_todo:
            if name in removes:
                continue
            match = next((new for new in sets if name_of(new) == name), None)
            if match is not None:
                if name in replaced:
                    continue
                replaced.add(name)
                out.append(match + newline)
                continue
        out.append(line)
    return "".join(out)


def new_todo(summary, uid, sets):
    lines = ["BEGIN:VCALENDAR", "VERSION:2.0", "PRODID:-//Tests//Other Device//EN",
             "BEGIN:VTODO", "UID:" + (uid or str(uuid.uuid4())), "DTSTAMP:20240101T000000Z",
             "SUMMARY:" + summary] + list(sets) + ["END:VTODO", "END:VCALENDAR", ""]
    return "\r\n".join(lines)


def main(argv):
    parser = argparse.ArgumentParser(description="An independent CalDAV client for tests.")
    parser.add_argument("--url", default=os.environ.get("CALDAV_URL"))
    parser.add_argument("--user", default=os.environ.get("CALDAV_USER", ""))
    parser.add_argument("--password", default=os.environ.get("CALDAV_PASSWORD", ""))
    commands = parser.add_subparsers(dest="command", required=True)
    commands.add_parser("collections")
    p = commands.add_parser("mkcol")
    p.add_argument("name")
    p.add_argument("--id")
    p.add_argument("--components", default="VTODO")
    p = commands.add_parser("rename")
    p.add_argument("collection")
    p.add_argument("name")
    p = commands.add_parser("list")
    p.add_argument("collection")
    for command in ("show", "delete"):
        p = commands.add_parser(command)
        p.add_argument("collection")
        p.add_argument("uid")
    p = commands.add_parser("add")
    p.add_argument("collection")
    p.add_argument("--summary", default="A task from the other device")
    p.add_argument("--uid")
    p.add_argument("--set", action="append", default=[])
    p.add_argument("--ics")
    p = commands.add_parser("edit")
    p.add_argument("collection")
    p.add_argument("uid")
    p.add_argument("--set", action="append", default=[])
    p.add_argument("--remove", action="append", default=[])
    p = commands.add_parser("move")
    p.add_argument("collection")
    p.add_argument("uid")
    p.add_argument("target")
    args = parser.parse_args(argv[1:])
    if not args.url:
        parser.error("no server address: give --url or set CALDAV_URL")

    device = Device(args.url, args.user, args.password)
    try:
        if args.command == "collections":
            print(json.dumps(device.list_collections(), indent=1))
        elif args.command == "mkcol":
            print(device.make_collection(args.name, args.id, args.components.split(",")))
        elif args.command == "rename":
            device.rename(args.collection, args.name)
        elif args.command == "list":
            print(json.dumps(device.todos(args.collection), indent=1))
        elif args.command == "show":
            sys.stdout.buffer.write(device.show(args.collection, args.uid).encode("utf-8"))
        elif args.command == "add":
            if args.ics:
                with (sys.stdin if args.ics == "-" else open(args.ics, newline="")) as f:
                    text = f.read()
            else:
                text = new_todo(args.summary, args.uid, args.set)
            print(device.add(args.collection, text))
        elif args.command == "edit":
            device.edit(args.collection, args.uid, args.set, args.remove)
        elif args.command == "delete":
            device.delete(args.collection, args.uid)
        elif args.command == "move":
            device.move(args.collection, args.uid, args.target)
    except (DeviceError, caldav.lib.error.DAVError) as error:
        print("caldav_device: %s" % error, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
