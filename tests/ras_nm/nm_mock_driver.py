# Drives the NetworkManager mock on the bus DBUS_SYSTEM_BUS_ADDRESS names, one step per run:
#   add-device IFACE DEVICE_TYPE STATE [METERED] -> prints the device path
#   add-profile ID TYPE [GROUP.KEY=VALUE...]  -> prints the profile path (GROUP.data.KEY for a map,
#                                                VALUE i:N for an int32)
#   activate PROFILE DEVICE|- NAME STATE       -> prints the active-connection path
#   set-device DEVICE STATE
#   set-active ACTIVE STATE
#   remove-active DEVICE ACTIVE
#   set-device-active DEVICE ACTIVE           -> the device's ActiveConnection (a VPN's link)
#   refuse-deactivate ERROR_NAME              -> DeactivateConnection answers that error
#   settings ID                               -> prints GROUP.KEY=SIGNATURE:VALUE lines, sorted
import sys

import dbus

NM = 'org.freedesktop.NetworkManager'
NM_PATH = '/org/freedesktop/NetworkManager'
MOCK = 'org.freedesktop.DBus.Mock'
DEVICE = NM + '.Device'
ACTIVE = NM + '.Connection.Active'

bus = dbus.SystemBus()
mock = dbus.Interface(bus.get_object(NM, NM_PATH), MOCK)
cmd, args = sys.argv[1], sys.argv[2:]


def on(path):
    return dbus.Interface(bus.get_object(NM, path), MOCK)


if cmd == 'add-device':
    iface, dev_type, state = args[0], int(args[1]), int(args[2])
    path = NM_PATH + '/Devices/' + iface
    mock.AddObject(path, DEVICE, {
        'DeviceType': dbus.UInt32(dev_type),
        'State': dbus.UInt32(state),
        'StateReason': dbus.Struct((dbus.UInt32(state), dbus.UInt32(0)), signature='uu'),
        'Interface': iface,
        'Metered': dbus.UInt32(int(args[3]) if len(args) > 3 else 0),
        'ActiveConnection': dbus.ObjectPath('/'),
        'AvailableConnections': dbus.Array([], signature='o'),
    }, [])
    print(path)
elif cmd == 'add-profile':
    settings = {'connection': {'id': args[0], 'type': args[1]}}
    for item in args[2:]:
        key, value = item.split('=', 1)
        parts = key.split('.', 2)
        group = settings.setdefault(parts[0], {})
        if len(parts) == 3:
            group.setdefault(parts[1], dbus.Dictionary({}, signature='ss'))[parts[2]] = value
        elif value.startswith('i:'):
            group[parts[1]] = dbus.Int32(int(value[2:]))
        else:
            group[parts[1]] = value
    settings_obj = bus.get_object(NM, NM_PATH + '/Settings')
    print(settings_obj.AddConnection(settings, dbus_interface=NM + '.Settings'))
elif cmd == 'activate':
    devices = dbus.Array([] if args[1] == '-' else [args[1]], signature='s')
    path = mock.AddActiveConnection(devices, args[0], '/', args[2], dbus.UInt32(int(args[3])))
    print(path)
elif cmd == 'set-device':
    state = dbus.UInt32(int(args[1]))
    obj = on(args[0])
    obj.SetProperty(args[0], DEVICE, 'State', dbus.UInt32(state, variant_level=1))
    obj.EmitSignal(DEVICE, 'StateChanged', 'uuu', [state, dbus.UInt32(0), dbus.UInt32(0)])
elif cmd == 'set-active':
    state = dbus.UInt32(int(args[1]))
    obj = on(args[0])
    obj.SetProperty(args[0], ACTIVE, 'State', dbus.UInt32(state, variant_level=1))
    obj.EmitSignal(ACTIVE, 'StateChanged', 'uu', [state, dbus.UInt32(0)])
elif cmd == 'remove-active':
    mock.RemoveActiveConnection(args[0], args[1])
elif cmd == 'set-device-active':
    mock.SetDeviceActive(args[0], args[1])
elif cmd == 'refuse-deactivate':
    mock.AddMethod(NM, 'DeactivateConnection', 'o', '',
                   f"raise dbus.exceptions.DBusException('refused', name='{args[0]}')")
elif cmd == 'settings':
    def signature(value):
        if isinstance(value, dbus.Boolean):
            return 'b'
        if isinstance(value, dbus.UInt32):
            return 'u'
        if isinstance(value, dbus.Dictionary):
            return 'a{' + (value.signature or '') + '}'
        if isinstance(value, dbus.Array):
            inner = value.signature or (signature(value[0]) if value else '')
            return 'a' + inner
        if isinstance(value, (dbus.String, str)):
            return 's'
        return type(value).__name__

    def plain(value):
        if isinstance(value, dbus.Dictionary):
            return {str(k): plain(v) for k, v in sorted(value.items())}
        if isinstance(value, dbus.Array):
            return [plain(v) for v in value]
        if isinstance(value, dbus.Boolean):
            return bool(value)
        if isinstance(value, (dbus.UInt32, int)):
            return int(value)
        return str(value)

    settings_obj = bus.get_object(NM, NM_PATH + '/Settings')
    for path in settings_obj.ListConnections(dbus_interface=NM + '.Settings'):
        conn = bus.get_object(NM, path)
        settings = conn.GetSettings(dbus_interface=NM + '.Settings.Connection')
        if settings['connection']['id'] != args[0]:
            continue
        lines = []
        for group, values in settings.items():
            for key, value in values.items():
                lines.append(f'{group}.{key}={signature(value)}:{plain(value)}')
        print('\n'.join(sorted(lines)))
        break
    else:
        sys.exit('no profile ' + args[0])
else:
    sys.exit('unknown command ' + cmd)
