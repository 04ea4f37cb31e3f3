// The start page: the meet's name above the links to the pages.
import {loadMeet} from './meet.js';
import {nameThePage} from './shell.js';

loadMeet().then((meet) => nameThePage(document, meet.name));
