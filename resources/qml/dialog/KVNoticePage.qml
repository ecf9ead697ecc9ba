import QtQuick 2.15
import com.kv.common 1.0
import com.kv.dialog 1.0

// A notice on the 567 x 308 dialog panel: a title, the message and one
// confirming button. The host sets `message` and listens to `confirmed`.
Item {
    id: root

    property string message: ""
    readonly property string panel: qmlArt.source(":/mainwindow/dialog_bg")

    signal confirmed()

    width: 567
    height: 308

    Rectangle {
        anchors.fill: parent
        visible: root.panel === ""
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
        visible: root.panel !== ""
        source: root.panel
        border { left: 20; top: 20; right: 20; bottom: 20 }
    }

    Text {
        id: title

        anchors.horizontalCenter: parent.horizontalCenter
        y: 28
        text: qsTr("Warning")
        color: "#7a3a1c"
        font.family: qmlCommonConfigs.fontFamily
        font.pixelSize: 22
        font.bold: true
    }

    Text {
        anchors { left: parent.left; right: parent.right; top: title.bottom; bottom: button.top; margins: 24 }
        text: root.message
        color: "#333333"
        wrapMode: Text.Wrap
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        font.family: qmlCommonConfigs.fontFamily
        font.pixelSize: 18
    }

    KVDialogButton {
        id: button

        anchors.horizontalCenter: parent.horizontalCenter
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 26
        text: qsTr("Confirm")
        onClicked: root.confirmed()
    }
}
