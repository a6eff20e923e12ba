// A test movie: records every call the page makes, answers a few with values, and calls the page
// on request, like the player movie's own buttons do.
import QtQuick

Item {
    // One entry per call: {name, args}.
    property var calls: []

    function record(name, args) {
        calls = calls.concat([{ "name": name, "args": args }])
    }

    Component.onCompleted: {
        ExternalInterface.addCallback("openFlv", path => record("openFlv", [path]))
        ExternalInterface.addCallback("pauseMv", arg => record("pauseMv", [arg]))
        ExternalInterface.addCallback("getList", list => record("getList", [list]))
        ExternalInterface.addCallback("echo", (a, b) => a + "/" + b)
        ExternalInterface.addCallback("number", () => 42)
        ExternalInterface.addCallback("nothing", () => undefined)
        ExternalInterface.addCallback("fail", () => { throw new Error("broken on purpose") })
        // Calls the page with name (and arg when given), then notes that the page returned.
        ExternalInterface.addCallback("send", (name, arg) => {
            if (arg === undefined)
                ExternalInterface.call(name)
            else
                ExternalInterface.call(name, arg)
            record("returned", [name])
        })
    }
}
