#!/usr/bin/python3
"""Stand-in services for the automation tests, started by a private bus on activation.

    dbus_standin.py BUSNAME LOGFILE

Owns BUSNAME on the bus that started it and serves the objects of that name's role (see
ROLES). Calls that a test wants to check are appended to LOGFILE, one line each, as
"Member (arguments)" with the arguments printed with their types. Exits when the bus goes.
"""

import sys

from gi.repository import Gio, GLib

PROBE_XML = """
<node>
  <interface name="org.velkoran.Probe.Extra">
    <method name="Echo"><arg type="s" direction="in"/><arg type="s" direction="out"/></method>
    <method name="level"><arg type="s" direction="out"/></method>
    <method name="Extra"><arg type="s" direction="out"/></method>
    <property name="Name" type="s" access="read"/>
  </interface>
  <interface name="org.velkoran.Probe">
    <method name="Echo"><arg type="v" direction="in"/><arg type="v" direction="out"/></method>
    <method name="Give"><arg type="s" direction="in"/><arg type="v" direction="out"/></method>
    <method name="GivePath"><arg type="o" direction="out"/></method>
    <method name="GiveTwo"><arg type="s" direction="out"/><arg type="i" direction="out"/></method>
    <method name="Nothing"/>
    <method name="Fail"/>
    <method name="Sleep"><arg type="u" direction="in"/></method>
    %(takes)s
    <property name="Name" type="s" access="readwrite"/>
    <property name="Level" type="i" access="readwrite"/>
    <property name="Size" type="t" access="read"/>
    <property name="Tags" type="as" access="readwrite"/>
    <property name="Secret" type="s" access="write"/>
    <property name="Child" type="o" access="read"/>
    <property name="Any" type="v" access="readwrite"/>
  </interface>
</node>
"""

# Take<Name>(signature) -> s: the arguments as the service received them.
TAKES = {
    "TakeByte": "y", "TakeInt16": "n", "TakeUInt16": "q", "TakeInt32": "i",
    "TakeUInt32": "u", "TakeInt64": "x", "TakeUInt64": "t", "TakeDouble": "d",
    "TakeBool": "b", "TakeString": "s", "TakePath": "o", "TakeVariant": "v",
    "TakeStrings": "as", "TakeVariants": "av", "TakeBytes": "ay", "TakeInts": "ai",
    "TakeDict": "a{sv}", "TakeStringDict": "a{ss}", "TakeMixed": "sid",
    "TakeStruct": "(si)",
}

# Give(what) -> v.
GIVES = {
    "byte": GLib.Variant("y", 200),
    "int16": GLib.Variant("n", -300),
    "uint16": GLib.Variant("q", 65000),
    "int32": GLib.Variant("i", -5),
    "uint32": GLib.Variant("u", 7),
    "uint32big": GLib.Variant("u", 4000000000),
    "int64": GLib.Variant("x", -(2 ** 40)),
    "int64small": GLib.Variant("x", 12),
    "uint64": GLib.Variant("t", 2 ** 63),
    "double": GLib.Variant("d", 2.5),
    "bool": GLib.Variant("b", True),
    "string": GLib.Variant("s", "日本語"),
    "bytes": GLib.Variant("ay", b"\xff\xfe/name\x00"),
    "path": GLib.Variant("o", "/org/velkoran/Probe/Child"),
    "strings": GLib.Variant("as", ["a", "b", "c"]),
    "dict": GLib.Variant("a{sv}", {"one": GLib.Variant("i", 1), "two": GLib.Variant("s", "zwei")}),
    "struct": GLib.Variant("(sib)", ("x", 3, True)),
    "nested": GLib.Variant("a{sas}", {"k": ["p", "q"]}),
    "intkeys": GLib.Variant("a{is}", {7: "seven"}),
    "variant": GLib.Variant("v", GLib.Variant("i", 9)),
    "empty": GLib.Variant("as", []),
}

CHILD_XML = """
<node>
  <interface name="org.velkoran.Child">
    <property name="Label" type="s" access="read"/>
    <method name="Parent"><arg type="o" direction="out"/></method>
  </interface>
</node>
"""

NOTIFICATIONS_XML = """
<node>
  <interface name="org.freedesktop.Notifications">
    <method name="Notify">
      <arg name="app_name" type="s" direction="in"/>
      <arg name="replaces_id" type="u" direction="in"/>
      <arg name="app_icon" type="s" direction="in"/>
      <arg name="summary" type="s" direction="in"/>
      <arg name="body" type="s" direction="in"/>
      <arg name="actions" type="as" direction="in"/>
      <arg name="hints" type="a{sv}" direction="in"/>
      <arg name="expire_timeout" type="i" direction="in"/>
      <arg name="id" type="u" direction="out"/>
    </method>
    <method name="GetCapabilities"><arg type="as" direction="out"/></method>
    <method name="GetServerInformation">
      <arg name="name" type="s" direction="out"/>
      <arg name="vendor" type="s" direction="out"/>
      <arg name="version" type="s" direction="out"/>
      <arg name="spec_version" type="s" direction="out"/>
    </method>
    <method name="CloseNotification"><arg type="u" direction="in"/></method>
  </interface>
</node>
"""

FILE_MANAGER_XML = """
<node>
  <interface name="org.freedesktop.FileManager1">
    <method name="ShowFolders"><arg type="as" direction="in"/><arg type="s" direction="in"/></method>
    <method name="ShowItems"><arg type="as" direction="in"/><arg type="s" direction="in"/></method>
    <method name="ShowItemProperties"><arg type="as" direction="in"/><arg type="s" direction="in"/></method>
  </interface>
</node>
"""

SYSTEM_PROBE_XML = """
<node>
  <interface name="org.velkoran.SystemProbe">
    <method name="Hello"><arg type="s" direction="out"/></method>
    <property name="Bus" type="s" access="read"/>
  </interface>
</node>
"""


class Service:
    def __init__(self, connection, log_path):
        self.connection = connection
        self.log_path = log_path
        self.props = {
            "Name": GLib.Variant("s", "probe"),
            "Level": GLib.Variant("i", 3),
            "Size": GLib.Variant("t", 2 ** 40),
            "Tags": GLib.Variant("as", ["x"]),
            "Child": GLib.Variant("o", "/org/velkoran/Probe/Child"),
            "Any": GLib.Variant("v", GLib.Variant("s", "nothing")),
        }
        self.next_id = 1

    def log(self, member, params):
        with open(self.log_path, "a", encoding="utf-8") as f:
            f.write("%s %s\n" % (member, params.print_(True)))

    def register(self, path, xml, on_call, on_get=None, on_set=None):
        for info in Gio.DBusNodeInfo.new_for_xml(xml).interfaces:
            self.connection.register_object(path, info, on_call, on_get, on_set)

    # --- org.velkoran.Probe and its child
    def probe_call(self, conn, sender, path, iface, member, params, inv):
        if iface == "org.velkoran.Probe.Extra":
            answers = {"Echo": lambda: "extra:" + params.unpack()[0], "level": lambda: "lower-case level",
                       "Extra": lambda: "extra"}
            inv.return_value(GLib.Variant("(s)", (answers[member](),)))
        elif member in TAKES:
            self.log(member, params)
            inv.return_value(GLib.Variant("(s)", (params.print_(True),)))
        elif member == "Echo":
            inv.return_value(params)
        elif member == "Give":
            inv.return_value(GLib.Variant("(v)", (GIVES[params.unpack()[0]],)))
        elif member == "GivePath":
            inv.return_value(GLib.Variant("(o)", ("/org/velkoran/Probe/Child",)))
        elif member == "GiveTwo":
            inv.return_value(GLib.Variant("(si)", ("two", 2)))
        elif member == "Nothing":
            inv.return_value(None)
        elif member == "Fail":
            inv.return_dbus_error("org.velkoran.Probe.Error.Refused", "the probe refuses")
        elif member == "Sleep":
            GLib.timeout_add(params.unpack()[0], lambda: inv.return_value(None) and False)

    def probe_get(self, conn, sender, path, iface, name):
        if iface == "org.velkoran.Probe.Extra":
            return GLib.Variant("s", "extra-name")
        self.log("Get", GLib.Variant("(s)", (name,)))
        return self.props[name]

    def probe_set(self, conn, sender, path, iface, name, value):
        self.log("Set", GLib.Variant("(sv)", (name, value)))
        self.props[name] = value
        return True

    def child_call(self, conn, sender, path, iface, member, params, inv):
        inv.return_value(GLib.Variant("(o)", ("/org/velkoran/Probe",)))

    def child_get(self, conn, sender, path, iface, name):
        return GLib.Variant("s", "child")

    # --- the desktop services the samples use
    def notifications_call(self, conn, sender, path, iface, member, params, inv):
        self.log(member, params)
        if member == "Notify":
            inv.return_value(GLib.Variant("(u)", (self.next_id,)))
            self.next_id += 1
        elif member == "GetCapabilities":
            inv.return_value(GLib.Variant("(as)", (["body"],)))
        elif member == "GetServerInformation":
            inv.return_value(GLib.Variant("(ssss)", ("stand-in", "velkoran", "1.0", "1.2")))
        else:
            inv.return_value(None)

    def file_manager_call(self, conn, sender, path, iface, member, params, inv):
        self.log(member, params)
        inv.return_value(None)

    def system_probe_call(self, conn, sender, path, iface, member, params, inv):
        inv.return_value(GLib.Variant("(s)", ("hello from the system bus",)))

    def system_probe_get(self, conn, sender, path, iface, name):
        return GLib.Variant("s", "system")


def serve(name, log_path):
    connection = Gio.bus_get_sync(Gio.BusType.STARTER, None)
    service = Service(connection, log_path)
    if name == "org.velkoran.Probe":
        takes = "".join('<method name="%s">%s<arg type="s" direction="out"/></method>'
                        % (m, "".join('<arg type="%s" direction="in"/>' % t for t in split_signature(sig)))
                        for m, sig in TAKES.items())
        service.register("/org/velkoran/Probe", PROBE_XML % {"takes": takes},
                         service.probe_call, service.probe_get, service.probe_set)
        service.register("/org/velkoran/Probe/Child", CHILD_XML, service.child_call, service.child_get)
    elif name == "org.freedesktop.Notifications":
        service.register("/org/freedesktop/Notifications", NOTIFICATIONS_XML, service.notifications_call)
    elif name == "org.freedesktop.FileManager1":
        service.register("/org/freedesktop/FileManager1", FILE_MANAGER_XML, service.file_manager_call)
    elif name == "org.velkoran.SystemProbe":
        service.register("/org/velkoran/SystemProbe", SYSTEM_PROBE_XML, service.system_probe_call,
                         service.system_probe_get)
    else:
        sys.exit("dbus_standin: no role for " + name)
    loop = GLib.MainLoop()
    Gio.bus_own_name_on_connection(connection, name, Gio.BusNameOwnerFlags.NONE, None, lambda *a: loop.quit())
    connection.connect("closed", lambda *a: loop.quit())
    loop.run()


def split_signature(sig):
    """The single complete types of a signature ("sid" -> s, i, d; "(si)" stays whole)."""
    out, depth, start = [], 0, 0
    for i, c in enumerate(sig):
        if c in "({":
            depth += 1
        elif c in ")}":
            depth -= 1
        if depth == 0 and c != "a":
            out.append(sig[start:i + 1])
            start = i + 1
    return out


if __name__ == "__main__":
    serve(sys.argv[1], sys.argv[2])
