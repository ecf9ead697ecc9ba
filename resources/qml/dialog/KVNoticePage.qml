import QtQuick 2.15
import com.kv.common 1.0
import com.kv.dialog 1.0

// A notice on the 567 x 308 dialog panel: a title, the message and one
// confirming button. The host sets `message` and listens to `confirmed`.
Item {
    id: root

    property string message: ""

    signal confirmed()

    readonly property string dialogTitle: title.text

    width: 567
    height: 308
    focus: true
    Accessible.role: Accessible.Dialog
    Accessible.name: dialogTitle
    Accessible.description: message

    KVDialogFrame {}

    KVDialogTitle {
        id: title

        text: qsTr("Warning")
    }

    Text {
        anchors { left: parent.left; right: parent.right; top: title.bottom; bottom: buttons.top; leftMargin: 40; rightMargin: 40; topMargin: 10; bottomMargin: 10 }
        text: root.message
        color: "#333333"
        wrapMode: Text.Wrap
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        font.family: qmlCommonConfigs.fontFamily
        font.pixelSize: 18
    }

    KVDialogButtonRow {
        id: buttons

        KVDialogButton {
            text: qsTr("Confirm")
            onClicked: root.confirmed()
        }
    }

    KVDialogClose {
        onClicked: root.confirmed()
    }
}
