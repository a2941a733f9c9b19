// What the extension does, shared by GNOME Shell's two kinds of extension
// (legacy imports up to 44, ES modules from 45): on the shell's own connection
// to the session bus, under the name org.gnome.Shell that only the shell can
// own, it exports one object that tells Vellicor where the pointer is and
// signals each change of the shell's input source. Nothing runs at import
// time; disable() undoes all that enable() did.

const VELLICOR_PATH = '/app/vellicor/Shell';
const VELLICOR_INTERFACE = `<node>
  <interface name="app.vellicor.Shell1">
    <method name="GetState">
      <arg type="s" name="sourceType" direction="out"/>
      <arg type="s" name="sourceId" direction="out"/>
      <arg type="i" name="monitorX" direction="out"/>
      <arg type="i" name="monitorY" direction="out"/>
      <arg type="i" name="monitorWidth" direction="out"/>
      <arg type="i" name="monitorHeight" direction="out"/>
      <arg type="d" name="monitorScale" direction="out"/>
      <arg type="i" name="pointerX" direction="out"/>
      <arg type="i" name="pointerY" direction="out"/>
    </method>
    <signal name="SourceChanged">
      <arg type="s" name="sourceType"/>
      <arg type="s" name="sourceId"/>
      <arg type="i" name="monitorX"/>
      <arg type="i" name="monitorY"/>
      <arg type="i" name="monitorWidth"/>
      <arg type="i" name="monitorHeight"/>
      <arg type="d" name="monitorScale"/>
    </signal>
  </interface>
</node>`;

class VellicorShellLink {
  // `manager` returns the shell's input-source manager.
  constructor(Gio, GLib, manager) {
    this._Gio = Gio;
    this._GLib = GLib;
    this._manager = manager;
    this._object = null;
    this._sources = null;
    this._changed = 0;
  }

  enable() {
    this._sources = this._manager();
    this._object = this._Gio.DBusExportedObject.wrapJSObject(VELLICOR_INTERFACE, this);
    this._object.export(this._Gio.DBus.session, VELLICOR_PATH);
    this._changed = this._sources.connect('current-source-changed', () => this._signal());
  }

  disable() {
    if (this._changed !== 0) {
      this._sources.disconnect(this._changed);
      this._changed = 0;
    }
    if (this._object !== null) {
      this._object.unexport();
      this._object = null;
    }
    this._sources = null;
  }

  // The method's answer: the current source, the monitor under the pointer
  // (logical pixels, and its scale) and the pointer.
  GetState() {
    const [pointerX, pointerY] = global.get_pointer();
    return [...this._source(), ...this._monitor(), pointerX, pointerY];
  }

  _signal() {
    const source = this._source();
    if (source[0] === '' || this._object === null) {
      return;
    }
    this._object.emit_signal(
        'SourceChanged', new this._GLib.Variant('(ssiiiid)', [...source, ...this._monitor()]));
  }

  _source() {
    const current = this._sources ? this._sources.currentSource : null;
    return current ? [String(current.type), String(current.id)] : ['', ''];
  }

  _monitor() {
    const display = global.display;
    const index = display.get_current_monitor();
    const area = display.get_monitor_geometry(index);
    return [area.x, area.y, area.width, area.height, display.get_monitor_scale(index)];
  }
}
