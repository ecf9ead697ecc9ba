import QtQuick 2.15

// The parchment panel every dialog page is drawn on: the painted frame when
// the art is installed, a drawn one otherwise. Fills its parent.
Item {
    readonly property string panel: qmlArt.source(":/mainwindow/dialog_bg")

    // On its own (a page of its own), the size of a message dialog's panel.
    width: parent && parent.width > 0 ? parent.width : 567
    height: parent && parent.height > 0 ? parent.height : 308

    Rectangle {
        anchors.fill: parent
        visible: parent.panel === ""
        radius: 12
        border.color: "#C66030"
        border.width: 2
        gradient: Gradient {
            GradientStop { position: 0; color: "#fff8ee" }
            GradientStop { position: 1; color: "#f1dfc4" }
        }
    }

    BorderImage {
        anchors.fill: parent
        visible: parent.panel !== ""
        source: parent.panel
        border { left: 20; top: 20; right: 20; bottom: 20 }
    }
}
