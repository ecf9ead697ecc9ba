import QtQuick 2.15
import com.kv.common 1.0
import com.kv.settings 1.0
import "qrc:/Dialog/qml"

// A labelled on/off switch of the settings sections: the track turns ember
// when on. `toggled` tells only of the user's changes, not of bindings.
Item {
    id: root

    property alias text: label.text
    property bool checked: false

    signal toggled(bool checked)

    function toggle() {
        root.checked = !root.checked;
        root.toggled(root.checked);
    }

    width: 300
    height: 32
    activeFocusOnTab: true
    Accessible.role: Accessible.CheckBox
    Accessible.name: text
    Accessible.checkable: true
    Accessible.checked: checked
    Accessible.onPressAction: root.toggle()
    Accessible.onToggleAction: root.toggle()
    Keys.onSpacePressed: root.toggle()
    Keys.onReturnPressed: root.toggle()
    Keys.onEnterPressed: root.toggle()

    Text {
        id: label

        anchors.left: parent.left
        anchors.verticalCenter: parent.verticalCenter
        color: "#454545"
        font.family: qmlCommonConfigs.fontFamily
        font.pixelSize: 16
    }

    Rectangle {
        id: track

        anchors.right: parent.right
        anchors.verticalCenter: parent.verticalCenter
        width: 44
        height: 24
        radius: 12
        color: root.checked ? "#C66030" : "#c9bba8"

        Rectangle {
            width: 20
            height: 20
            radius: 10
            y: 2
            x: root.checked ? track.width - width - 2 : 2
            color: "#fff2e2"

            Behavior on x {
                NumberAnimation { duration: 120 }
            }
        }
    }

    MouseArea {
        anchors.fill: parent
        cursorShape: Qt.PointingHandCursor
        onClicked: root.toggle()
    }

    KVFocusRing {}
}
