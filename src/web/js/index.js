// The start page: the meet's name above the links to the pages.
import {loadMeet} from './meet.js';

loadMeet().then((meet) => {
    if (meet.name) {
        document.getElementById('meet-name').textContent = meet.name;
        document.title = `${meet.name} · Tallvane`;
    }
});
