import QtQuick 2.15
import QtQuick.Controls 2.15
import com.kv.common 1.0
import com.kv.dialog 1.0

// The launcher-update page on the 680 x 368 dialog panel: the new version,
// what it brings (scrolled when long) and the two buttons. The model is the
// context object "updateDialog".
Item {
    id: root

    readonly property string dialogTitle: title.text

    width: 680
    height: 368
    focus: true
    Accessible.role: Accessible.Dialog
    Accessible.name: dialogTitle
    Accessible.description: updateDialog.updateMessage

    KVDialogFrame {}

    KVDialogTitle {
        id: title

        text: qsTr("LauncherUpdateTiTle")
    }

    Text {
        id: version

        anchors.horizontalCenter: parent.horizontalCenter
        anchors.top: title.bottom
        anchors.topMargin: 4
        text: updateDialog.latestVersion
        color: "#C66030"
        font.family: qmlCommonConfigs.fontFamily
        font.pixelSize: 14
    }

    Text {
        id: heading

        x: 40
        anchors.top: version.bottom
        anchors.topMargin: 10
        text: qsTr("LauncherUpdateMessage")
        color: "#1A1A1A"
        font.family: qmlCommonConfigs.fontFamily
        font.pixelSize: 18
    }

    Flickable {
        id: notes

        anchors { left: parent.left; right: parent.right; top: heading.bottom; bottom: buttons.top
                  leftMargin: 40; rightMargin: 40; topMargin: 8; bottomMargin: 10 }
        clip: true
        contentWidth: width
        contentHeight: message.height
        boundsBehavior: Flickable.StopAtBounds

        Text {
            id: message

            width: notes.width - 12
            text: updateDialog.updateMessage
            color: "#686868"
            wrapMode: Text.Wrap
            textFormat: Text.PlainText
            font.family: qmlCommonConfigs.fontFamily
            font.pixelSize: 16
        }

        ScrollBar.vertical: ScrollBar {
            policy: message.height > notes.height ? ScrollBar.AlwaysOn : ScrollBar.AlwaysOff
            contentItem: Rectangle {
                implicitWidth: 6
                radius: 6
                color: "#C6A88A"
            }
        }
    }

    KVDialogButtonRow {
        id: buttons

        // A pair, like the widget dialogs' pairs: clear of the panel's feather.
        KVDialogButton {
            width: 180
            height: 64
            primary: false
            text: qsTr("LauncherUpdateCancel")
            onClicked: updateDialog.cancel()
        }

        KVDialogButton {
            width: 180
            height: 64
            text: qsTr("LauncherUpdateConfirm")
            onClicked: updateDialog.confirm()
        }
    }

    KVDialogClose {
        onClicked: updateDialog.cancel()
    }
}
