// A test movie: records every call the page makes, answers a few with values, and calls the page
// on request, like the player movie's own buttons do.
import QtQuick
import Tessaly.Movie

Item {
    // One entry per call: {name, args}.
    property var calls: []

    function record(name, args) {
        calls = calls.concat([{ "name": name, "args": args }])
    }

    Component.onCompleted: {
        ExternalInterface.addCallback(MovieCalls.openFlv, path => record(MovieCalls.openFlv, [path]))
        ExternalInterface.addCallback(MovieCalls.pauseMv, arg => record(MovieCalls.pauseMv, [arg]))
        ExternalInterface.addCallback(MovieCalls.getList, list => record(MovieCalls.getList, [list]))
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
