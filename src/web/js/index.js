// The start page: the meet's name above the links to the pages.
import {startPage} from './i18n.js';
import {loadMeet} from './meet.js';
import {nameThePage} from './shell.js';

await startPage();
loadMeet().then((meet) => nameThePage(document, meet.name));
